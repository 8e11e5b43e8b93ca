#!/usr/bin/env bash
# Builds the real camera SDKs, the Orbbec SDK v2 and libfreenect2, for one architecture, once.
#
#   scripts/build-real-sdks.sh amd64|arm64
#
# Builds from the archives in ../shared/realsdk/ beside the checkout (KESTRUM_REALSDK_DIR overrides)
# and installs each build into ${XDG_CACHE_HOME:-~/.cache}/kestrum/ under a name made from the
# architecture and a key of its archive's sha256, the architecture and its build options, so that
# later runs reuse it. Prints one line per build on standard output, its name and its folder:
#   orbbec PREFIX               the Orbbec SDK, without its prebuilt extensions
#   freenect2 PREFIX            libfreenect2 with C++11 threading
#   freenect2-own-threads PREFIX  libfreenect2 with its own thread wrapper (amd64 only, for the
#                               check that kestrum refuses it)
# Everything else goes to standard error.
#
# amd64 is a test fixture for the native build: the Orbbec SDK is built without optimisation,
# which takes a fraction of the time and runs the same code. arm64 is what the station package
# carries: optimised builds, cross-compiled with cmake/toolchain-aarch64-linux-gnu.cmake against
# the sysroot in KESTRUM_ARM64_SYSROOT (default build-arm64/sysroot, assembled when missing).
#
# Safe to run several times at once: each build holds a lock while it builds, so a second run
# waits for it and then takes the finished build. Installs nothing on the host; the build tools
# must be there (scripts/cross-build-arm64.sh and scripts/check-real-sdks.sh install them).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
architecture=${1:-}
realsdk_dir=$(realpath -m "${KESTRUM_REALSDK_DIR:-"$repo/../shared/realsdk"}")
orbbec_archive="$realsdk_dir/OrbbecSDK_v2-2.9.3-core-869ae2d.tar.gz"
freenect2_archive="$realsdk_dir/libfreenect2-0.2.0-fd64c5d.tar.gz"
cache_dir="${XDG_CACHE_HOME:-$HOME/.cache}/kestrum"

# shellcheck source=scripts/script-phases.sh
. "$repo/scripts/script-phases.sh"

for archive in "$orbbec_archive" "$freenect2_archive"; do
  [[ -f "$archive" ]] || fail "no SDK source archive at $archive"
done
# What every build of an architecture gets besides its own options; not part of the key, since
# it names places on this machine and not what is built.
case "$architecture" in
  amd64)
    cross=()
    orbbec_build_type=(-DCMAKE_BUILD_TYPE=)
    ;;
  arm64)
    sysroot=$(realpath -m "${KESTRUM_ARM64_SYSROOT:-"$repo/build-arm64/sysroot"}")
    "$repo/scripts/assemble-arm64-sysroot.sh" "$sysroot" >&2
    cross=(-DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-aarch64-linux-gnu.cmake" -DKESTRUM_ARM64_SYSROOT="$sysroot")
    # libfreenect2 finds libusb through pkg-config: the sysroot's, not the host's.
    export PKG_CONFIG_LIBDIR="$sysroot/usr/lib/aarch64-linux-gnu/pkgconfig:$sysroot/usr/share/pkgconfig"
    export PKG_CONFIG_SYSROOT_DIR="$sysroot"
    orbbec_build_type=(-DCMAKE_BUILD_TYPE=Release)
    ;;
  *) fail "usage: build-real-sdks.sh amd64|arm64" ;;
esac

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$cache_dir"

# The Orbbec SDK's top-level CMakeLists.txt always adds extensions/, whose prebuilt libraries the
# archive leaves out: an empty one stands in.
add_empty_orbbec_extensions() {
  mkdir -p "$1/extensions"
  : >"$1/extensions/CMakeLists.txt"
}

# install_sdk LABEL NAME ARCHIVE PREPARE OPTION...: installs the archive's source, prepared by the
# command PREPARE given the source folder and built with the options, and prints LABEL and its
# folder. The installed CMake packages find their libraries only below the prefix they were
# installed to, so it is built for its final place, and marked complete only at the end.
install_sdk() {
  local label=$1 name=$2 archive=$3 prepare=$4 key sdk_prefix
  shift 4
  key=$(printf '%s\n' "$(sha256sum "$archive" | cut -d' ' -f1)" "$architecture" "$@" | sha256sum | cut -c1-16)
  sdk_prefix="$cache_dir/$name-$architecture-$key"
  exec {lock}>"$sdk_prefix.lock"
  flock "$lock"
  if [[ -f "$sdk_prefix/.complete" ]]; then
    echo "cached: $sdk_prefix" >&2
  else
    echo "building $name for $architecture into $sdk_prefix" >&2
    local started=$SECONDS work="$scratch/$name"
    rm -rf "$sdk_prefix" "$work"
    mkdir -p "$work/source"
    tar -xzf "$archive" -C "$work/source" --strip-components=1
    "$prepare" "$work/source"
    cmake -S "$work/source" -B "$work/build" -DCMAKE_INSTALL_PREFIX="$sdk_prefix" "${cross[@]}" "$@" \
      >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; fail "$name did not configure"; }
    cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 \
      || { tail -n 100 "$work/build.log" >&2; fail "$name did not build"; }
    cmake --install "$work/build" >/dev/null
    touch "$sdk_prefix/.complete"
    echo "built $name for $architecture in $((SECONDS - started)) s" >&2
  fi
  exec {lock}>&-
  echo "$label $sdk_prefix"
}

install_sdk orbbec OrbbecSDK-2.9.3 "$orbbec_archive" add_empty_orbbec_extensions "${orbbec_build_type[@]}" \
  -DOB_BUILD_EXAMPLES=OFF -DOB_BUILD_DOCS=OFF -DOB_BUILD_TESTS=OFF -DOB_BUILD_TOOLS=OFF -DOB_INSTALL_EXAMPLES_SOURCE=OFF

# Only the library with the CPU depth pipeline: libusb and TurboJPEG are all it needs. No run path:
# it would name the folder its libusb was found in, which for arm64 is the sysroot's.
freenect2_options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_RPATH= -DENABLE_OPENGL=OFF -DENABLE_OPENCL=OFF -DENABLE_CUDA=OFF
                   -DENABLE_VAAPI=OFF -DENABLE_TEGRAJPEG=OFF -DBUILD_EXAMPLES=OFF -DBUILD_OPENNI2_DRIVER=OFF)
install_sdk freenect2 libfreenect2-0.2.0 "$freenect2_archive" true "${freenect2_options[@]}" -DENABLE_CXX11=ON
if [[ "$architecture" == amd64 ]]; then
  install_sdk freenect2-own-threads libfreenect2-0.2.0 "$freenect2_archive" true "${freenect2_options[@]}" -DENABLE_CXX11=OFF
fi
