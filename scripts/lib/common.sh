# Shared helpers of the project scripts: where things live, what to install,
# how to fetch and build the whisper library once per machine.
# shellcheck shell=bash

VORNIKA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
VORNIKA_CACHE=${VORNIKA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vornika}

WHISPER_NPM_PACKAGE=nodejs-whisper
WHISPER_NPM_VERSION=0.3.1
WHISPER_NPM_INTEGRITY='sha512-ceoilUVraRuR5FnNyXpGQT2auAR48Oc3AQBEmkXnVpSn9iN6yVRzQBFCqVTGWbk6Wdi95NhvwXNzFvuR7erLWw=='
WHISPER_VERSION=1.9.1
WHISPER_SRC=$VORNIKA_ROOT/third_party/whisper.cpp

# Debian packages every build and test layer needs.
VORNIKA_APT_PACKAGES=(
  cmake ninja-build g++ googletest libgtest-dev openssl clang libclang-rt-14-dev nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 wine xvfb xdotool xclip x11-utils
  pulseaudio pulseaudio-utils espeak-ng sox imagemagick fonts-dejavu-core
  nsis zip unzip python3
  glslc libvulkan-dev spirv-headers libvulkan1 mesa-vulkan-drivers
)

log() { printf '[vornika] %s\n' "$*" >&2; }
die() { printf '[vornika] error: %s\n' "$*" >&2; exit 1; }

install_missing_packages() {
  local missing=() p
  for p in "${VORNIKA_APT_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  # npm fetches the whisper sources; some machines carry a Node.js that bundles it.
  command -v npm >/dev/null 2>&1 || missing+=(npm)
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  local sudo=
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Fetches the whisper.cpp tree shipped inside the pinned npm package, checks the
# tarball against its pinned integrity and extracts only that tree.
fetch_whisper() {
  local stamp=$WHISPER_SRC/.vornika-integrity
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$WHISPER_NPM_INTEGRITY" ]; then
    return 0
  fi
  local tarballs=$VORNIKA_CACHE/npm
  local tgz=$tarballs/$WHISPER_NPM_PACKAGE-$WHISPER_NPM_VERSION.tgz
  mkdir -p "$tarballs"
  if [ ! -f "$tgz" ] || [ "$(tarball_integrity "$tgz")" != "$WHISPER_NPM_INTEGRITY" ]; then
    log "fetching $WHISPER_NPM_PACKAGE@$WHISPER_NPM_VERSION"
    rm -f "$tgz"
    (cd "$tarballs" && npm pack --silent "$WHISPER_NPM_PACKAGE@$WHISPER_NPM_VERSION" >/dev/null) \
      || die "npm pack $WHISPER_NPM_PACKAGE@$WHISPER_NPM_VERSION failed"
  fi
  local got
  got=$(tarball_integrity "$tgz")
  if [ "$got" != "$WHISPER_NPM_INTEGRITY" ]; then
    rm -f "$tgz"
    die "integrity mismatch for $WHISPER_NPM_PACKAGE@$WHISPER_NPM_VERSION: $got"
  fi
  rm -rf "$WHISPER_SRC"
  mkdir -p "$WHISPER_SRC"
  tar -xzf "$tgz" -C "$WHISPER_SRC" --strip-components=3 package/cpp/whisper.cpp
  grep -q "VERSION $WHISPER_VERSION" "$WHISPER_SRC/CMakeLists.txt" \
    || die "the package does not hold whisper.cpp $WHISPER_VERSION"
  echo "$WHISPER_NPM_INTEGRITY" > "$stamp"
}

tarball_integrity() {
  printf 'sha512-%s' "$(openssl dgst -sha512 -binary "$1" | base64 -w0)"
}

# Vulkan headers, an import library for vulkan-1.dll and SPIRV-Headers for
# the mingw build of ggml's Vulkan backend, apart from /usr/include (whose
# glibc headers must not reach a Windows compile). Prints the folder.
prepare_vulkan_for_mingw() {
  local dir=$VORNIKA_CACHE/vulkan-mingw
  local stamp="$(dpkg-query -W -f='${Version}' libvulkan-dev spirv-headers) $(sha256sum "$VORNIKA_ROOT/cmake/vulkan-compat/vulkan/vulkan.hpp" | cut -c1-12)"
  if [ -f "$dir/.complete" ] && [ "$(cat "$dir/.complete")" = "$stamp" ]; then
    echo "$dir"
    return 0
  fi
  rm -rf "$dir"
  mkdir -p "$dir/include" "$dir/lib" "$dir/cmake/SPIRV-Headers"
  cp -r /usr/include/vulkan /usr/include/vk_video /usr/include/spirv "$dir/include/"
  # Debian's vulkan.hpp stays, under another name, behind our wrapper.
  mv "$dir/include/vulkan/vulkan.hpp" "$dir/include/vulkan/vulkan_debian.hpp"
  sed 's|#include_next <vulkan/vulkan.hpp>|#include "vulkan_debian.hpp"|' \
    "$VORNIKA_ROOT/cmake/vulkan-compat/vulkan/vulkan.hpp" >"$dir/include/vulkan/vulkan.hpp"
  # mingw-w64 has no vulkan-1 import library: one from the headers' prototypes
  # (only the functions a DLL uses end up imported).
  { echo "LIBRARY vulkan-1.dll"; echo "EXPORTS"
    cat "$dir/include/vulkan/vulkan_core.h" "$dir/include/vulkan/vulkan_win32.h" \
      | grep -oE 'VKAPI_ATTR [A-Za-z0-9_ *]+ VKAPI_CALL vk[A-Za-z0-9_]+' | awk '{print $NF}' | sort -u
  } >"$dir/lib/vulkan-1.def"
  x86_64-w64-mingw32-dlltool -d "$dir/lib/vulkan-1.def" -l "$dir/lib/libvulkan-1.a"
  cat >"$dir/cmake/SPIRV-Headers/SPIRV-HeadersConfig.cmake" <<'CMAKE'
if(NOT TARGET SPIRV-Headers::SPIRV-Headers)
    add_library(SPIRV-Headers::SPIRV-Headers INTERFACE IMPORTED)
    set_target_properties(SPIRV-Headers::SPIRV-Headers PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}/../../include")
endif()
set(SPIRV-Headers_FOUND TRUE)
CMAKE
  echo "$stamp" >"$dir/.complete"
  echo "$dir"
}

# While process PID runs, takes the pictures it asks for (a Windows program
# under Wine on the harness's display): each REQUESTS/NAME.request holds
# "x y width height"; that part of the X screen becomes OUT/NAME.png and the
# request is removed. Returns the process's exit status.
take_requested_pictures() {  # take_requested_pictures PID REQUESTS OUT
  local pid=$1 requests=$2 out=$3 request x y width height
  while kill -0 "$pid" 2>/dev/null; do
    for request in "$requests"/*.request; do
      [ -e "$request" ] || continue
      read -r x y width height <"$request"
      DISPLAY=$VORNIKA_DISPLAY import -window root -crop "${width}x${height}+${x}+${y}" +repage -strip \
        "$out/$(basename "$request" .request).png"
      log "$out/$(basename "$request" .request).png"
      rm -f "$request"
    done
    sleep 0.1
  done
  wait "$pid"
}
