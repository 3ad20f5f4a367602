#!/usr/bin/env bash
# Runs the engine tests from a folder that has the whisper DLLs but no
# ggml-cpu*.dll: loading must fail with a reason instead of aborting.
#   run-without-cpu-backend.sh WINE_RUN ENGINE_TESTS.exe
set -euo pipefail
runner=$1 exe=$2
bin=$(dirname "$exe")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$bin"/libwhisper.dll "$bin"/ggml.dll "$bin"/ggml-base.dll "$work/"
cd "$work"
VORNIKA_EXPECT_NO_BACKEND=1 "$runner" "$work/$(basename "$exe")" --gtest_brief=1 --gtest_filter='NoBackend.*'
