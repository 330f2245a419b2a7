#!/usr/bin/env bash
# Builds the libraries the Windows program links, static, for x86_64-w64-mingw32, from
# Debian's own source packages of the versions the Linux build uses, so that the same file
# decodes to the same samples and pixels on both. Each library is built once into
# $VOXELSHOW_MINGW_DEPS/NAME-VERSION (default ~/.cache/voxelshow/mingw-deps) and reused.
# Prints the prefixes, one a line, for the toolchain file.
set -euo pipefail

cache=${VOXELSHOW_MINGW_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/voxelshow/mingw-deps}
host=x86_64-w64-mingw32
export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-ar RANLIB=$host-ranlib
mkdir -p "$cache"

# The source version of an installed Linux package (the deb-src of that exact version).
source_version() {
    dpkg-query -W -f='${source:Version}' "$1"
}

# A private deb-src list, so that no system list changes: the suites of the system's own list.
apt_dir=$cache/apt
apt_options=(-o Dir::Etc::sourcelist="$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
             -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" -o APT::Get::Only-Source=true)
apt_ready=0
apt_update() {
    if [ $apt_ready = 0 ]; then
        mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
        cat > "$apt_dir/sources.list" <<LIST
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
LIST
        apt-get "${apt_options[@]}" update -q >&2
        apt_ready=1
    fi
}

# The versions to try, best first: the Linux package's own, then the others of the same
# upstream release, newest first (a later Debian revision only adds security fixes).
archive_versions() { # NAME VERSION
    local name=$1 version=$2 listed
    listed=$(apt-cache "${apt_options[@]}" showsrc "$name" 2>/dev/null | sed -n 's/^Version: //p')
    grep -xF "$version" <<<"$listed" || true
    grep -F "${version%%-*}-" <<<"$listed" | grep -vxF "$version" | sort -Vr || true
}

fetch_source() { # NAME VERSION DIR: unpacks the source package into DIR/src
    local name=$1 dir=$3 version dsc=""
    apt_update
    for version in $(archive_versions "$name" "$2"); do
        rm -rf "$dir/download" && mkdir -p "$dir/download"
        (cd "$dir/download" && apt-get "${apt_options[@]}" source --download-only "$name=$version" >&2) || true
        # A signature that is not on the server is not needed: the .dsc lists every file's hash.
        dsc=$(ls "$dir"/download/*.dsc 2>/dev/null | head -n1 || true)
        if [ -n "$dsc" ] && dpkg-source --no-check -x "$dsc" "$dir/src" >&2; then
            echo "build-deps: $name from source $version" >&2
            return
        fi
        rm -rf "$dir/src"
    done
    echo "build-deps: could not download the source of $name $2" >&2
    exit 1
}

# NAME DEBIAN_PACKAGE (whose version is wanted) then the build as a function of the source dir.
build() {
    local name=$1 package=$2 recipe=$3 version prefix work
    version=$(source_version "$package")
    prefix=$cache/$name-$version
    if [ ! -f "$prefix/.complete" ]; then
        echo "build-deps: building $name $version (once; cached in $prefix)" >&2
        work=$cache/work/$name-$version
        rm -rf "$prefix" "$work"
        mkdir -p "$work"
        fetch_source "$name" "$version" "$work"
        (cd "$work/src" && "$recipe" "$prefix") >"$work/build.log" 2>&1 ||
            { echo "build-deps: $name failed, see $work/build.log" >&2; tail -n 20 "$work/build.log" >&2; exit 1; }
        touch "$prefix/.complete"
        rm -rf "$work"
    fi
    echo "$prefix"
}

jobs=${VOXELSHOW_JOBS:-2}
configure_static() { # PREFIX [configure options]
    local prefix=$1
    shift
    ./configure --host=$host --prefix="$prefix" --enable-static --disable-shared "$@"
}

recipe_ogg() {
    CFLAGS="-O2" configure_static "$1" && make -j"$jobs" && make install
}
recipe_vorbis() {
    # Linux's package is built with these flags; without them a third of the samples differ.
    CFLAGS="-O2 -ffast-math -mno-ieee-fp" configure_static "$1" --with-ogg="$ogg" --disable-docs --disable-examples &&
        make -j"$jobs" && make install
}
recipe_mpg123() {
    CFLAGS="-O2" configure_static "$1" --with-audio=dummy --disable-modules --disable-components --enable-libmpg123 &&
        make -j"$jobs" && make install
}
recipe_openmpt() {
    CXXFLAGS="-O2" CFLAGS="-O2" configure_static "$1" --disable-openmpt123 --disable-examples --disable-tests \
        --disable-doxygen-doc --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile --without-portaudio \
        --without-portaudiocpp --without-pulseaudio --without-sndfile --without-flac &&
        make -j"$jobs" && make install
}
recipe_png() {
    CFLAGS="-O2" CPPFLAGS="-I/usr/$host/include" LDFLAGS="-L/usr/$host/lib" configure_static "$1" &&
        make -j"$jobs" && make install
}

recipe_xxhash() {
    mkdir -p "$1/lib/pkgconfig" "$1/include" &&
        $CC -O2 -c xxhash.c -o xxhash.o && $AR rcs "$1/lib/libxxhash.a" xxhash.o &&
        cp xxhash.h "$1/include/" &&
        printf 'prefix=%s\nName: libxxhash\nDescription: xxHash\nVersion: %s\nLibs: -L${prefix}/lib -lxxhash\nCflags: -I${prefix}/include\n' \
            "$1" "$(source_version libxxhash-dev)" > "$1/lib/pkgconfig/libxxhash.pc"
}

ogg=$(build libogg libogg-dev recipe_ogg)
echo "$ogg"
build libvorbis libvorbis-dev recipe_vorbis
build mpg123 libmpg123-dev recipe_mpg123
build libpng1.6 libpng-dev recipe_png
build xxhash libxxhash-dev recipe_xxhash
build libopenmpt libopenmpt-dev recipe_openmpt
