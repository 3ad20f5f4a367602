#!/usr/bin/env bash
# Every executable and DLL we ship imports only Windows' own DLLs and our
# whisper/ggml DLLs (and the graphics backend the Vulkan loader): no mingw
# runtime (libstdc++, libgcc, winpthread, libgomp).
#   check-imports.sh OBJDUMP BIN_DIR
set -uo pipefail
objdump=$1 dir=$2
allowed='^(kernel32|user32|gdi32|shell32|comctl32|comdlg32|dwmapi|ole32|oleaut32|uuid|ksuser|advapi32|msvcrt|shlwapi|uxtheme|winmm|version|wtsapi32|bcrypt|winhttp|ws2_32|psapi|imm32|setupapi|dbghelp|ntdll|api-ms-win-[a-z0-9-]+|libwhisper|ggml|ggml-base|ggml-cpu(-[a-z0-9_]+)?|ggml-vulkan|vulkan-1)\.dll$'
status=0 checked=0
shopt -s nullglob
for binary in "$dir"/*.exe "$dir"/*.dll "$dir"/gpu/*.dll; do
  checked=$((checked + 1))
  while read -r dll; do
    if ! printf '%s\n' "${dll,,}" | grep -Eq "$allowed"; then
      echo "FAIL: $(basename "$binary") imports $dll"
      status=1
    fi
  done < <("$objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p')
done
[ "$checked" -gt 0 ] || { echo "FAIL: no binaries in $dir"; exit 1; }
[ $status -eq 0 ] && echo "$checked binaries import only system and whisper/ggml DLLs"
exit $status
