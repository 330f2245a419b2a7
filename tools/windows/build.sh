#!/usr/bin/env bash
# Cross-builds the Windows program into build-windows/ and packs
# build-windows/voxelshow-windows-x64.zip (voxelshow.exe, data/, shaders.hlsl, README.txt).
# The data files come from the Linux build (build/data), which ./run makes first.
set -euo pipefail
cd "$(dirname "$0")/../.."

mapfile -t prefixes < <(tools/windows/build-deps.sh)
pkgconfig=""
for prefix in "${prefixes[@]}"; do
    pkgconfig+="${pkgconfig:+:}$prefix/lib/pkgconfig"
done
export PKG_CONFIG_LIBDIR=$pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw-w64.cmake \
    "-DVOXELSHOW_MINGW_PREFIXES=$(IFS=';'; echo "${prefixes[*]}")" -DVOXELSHOW_LINUX_DATA="$PWD/build/data" \
    "${launcher[@]}" >/dev/null
cmake --build build-windows -j"$(nproc)"

package=build-windows/package
rm -rf "$package" build-windows/voxelshow-windows-x64.zip
mkdir -p "$package/voxelshow"
cp build-windows/voxelshow.exe shaders.hlsl "$package/voxelshow/"
cp -r build/data "$package/voxelshow/data"
cp tools/windows/README.txt "$package/voxelshow/README.txt"
(cd "$package" && zip -q -r ../voxelshow-windows-x64.zip voxelshow)
echo "build-windows/voxelshow-windows-x64.zip"
