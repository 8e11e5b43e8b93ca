#!/usr/bin/env bash
# Builds kestrum against the real libfreenect2 (with the simulated Orbbec SDK) and checks it there.
#
#   scripts/check-real-libfreenect2.sh [BUILD_DIR]   (default: build-real-freenect2)
#
# Builds libfreenect2 from ../shared/realsdk/ beside the checkout (KESTRUM_REALSDK_DIR
# overrides) twice, with and without C++11 threading, each installed once into
# ${XDG_CACHE_HOME:-~/.cache}/kestrum/ under a name made from the archive's sha256 and the
# build options, so later runs reuse it. Then checks that
#  - both programs take the no-camera path against the real library: exit codes 1 and 3,
#    nothing on standard output, the error line last on standard error;
#  - kestrum-doctor reports that no camera is found in the programs' words, on an empty USB tree;
#  - the Kinect v2 frame files come out right through the real Registration (real-sdk tests);
#  - configuring against the build without C++11 threading fails and says how to fix it.
# Installs what it needs when missing. Works as root and through sudo; safe to repeat.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(realpath -m "${1:-"$repo/build-real-freenect2"}")
realsdk_dir=$(realpath -m "${KESTRUM_REALSDK_DIR:-"$repo/../shared/realsdk"}")
archive="$realsdk_dir/libfreenect2-0.2.0-fd64c5d.tar.gz"
cache_dir="${XDG_CACHE_HOME:-$HOME/.cache}/kestrum"
started=$SECONDS

phase() {
  echo "== $* (after $((SECONDS - started)) s)"
}
fail() {
  echo "check-real-libfreenect2: $*" >&2
  exit 1
}

[[ -f "$archive" ]] || fail "no libfreenect2 source archive at $archive"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

phase "Packages"
"$repo/scripts/install-missing-packages.sh" cmake make g++ \
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev libgtest-dev \
  libusb-1.0-0-dev libturbojpeg0-dev pkg-config

# Only the library with the CPU depth pipeline: libusb and TurboJPEG are all it needs.
freenect2_options=(-DCMAKE_BUILD_TYPE=Release -DENABLE_OPENGL=OFF -DENABLE_OPENCL=OFF -DENABLE_CUDA=OFF
                   -DENABLE_VAAPI=OFF -DENABLE_TEGRAJPEG=OFF -DBUILD_EXAMPLES=OFF -DBUILD_OPENNI2_DRIVER=OFF)
archive_sha256=$(sha256sum "$archive" | cut -d' ' -f1)

# install_freenect2 ON|OFF: sets freenect2_prefix to an installation with ENABLE_CXX11 as given.
# The installed freenect2Config.cmake finds the library only below the prefix it was
# installed to, so it is built for its final place, and marked complete only at the end.
install_freenect2() {
  local options=("${freenect2_options[@]}" "-DENABLE_CXX11=$1")
  local key
  key=$(printf '%s\n' "$archive_sha256" "${options[@]}" | sha256sum | cut -c1-16)
  freenect2_prefix="$cache_dir/libfreenect2-0.2.0-cxx11-$1-$key"
  if [[ -f "$freenect2_prefix/.complete" ]]; then
    echo "cached: $freenect2_prefix"
    return
  fi
  rm -rf "$freenect2_prefix"
  local work="$scratch/freenect2-cxx11-$1"
  mkdir -p "$work/source"
  tar -xzf "$archive" -C "$work/source" --strip-components=1
  cmake -S "$work/source" -B "$work/build" -DCMAKE_INSTALL_PREFIX="$freenect2_prefix" "${options[@]}" \
    >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "libfreenect2 did not configure"; }
  cmake --build "$work/build" -j 2 >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "libfreenect2 did not build"; }
  cmake --install "$work/build" >/dev/null
  touch "$freenect2_prefix/.complete"
  echo "built: $freenect2_prefix"
}

phase "libfreenect2 with C++11 threading"
install_freenect2 ON
stdlib_prefix=$freenect2_prefix

phase "libfreenect2 with its own thread wrapper"
install_freenect2 OFF
wrapper_prefix=$freenect2_prefix

phase "Configure and build kestrum against the real libfreenect2"
cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRUM_FREENECT2=REAL -DKESTRUM_ORBBEC_SDK=SIMULATED -DCMAKE_PREFIX_PATH="$stdlib_prefix" \
  | tee "$scratch/configure.log"
grep -qF "libfreenect2: real ($stdlib_prefix/lib/libfreenect2.so" "$scratch/configure.log" \
  || fail "the configure step did not take the libfreenect2 in $stdlib_prefix"
# The programs and the tests that need the real library; the rest of the suite runs in other stages.
cmake --build "$build_dir" -j 2 --target kestrum-capture kestrum-photo kestrum-doctor real_freenect2_tests

# expect_no_camera EXIT_CODE LAST_STDERR_LINE PROGRAM ARGUMENT...
expect_no_camera() {
  local expected_status=$1 expected_line=$2 name
  shift 2
  name=$(basename "$1")
  local status=0
  env -u KESTRUM_SIM_ORBBEC -u KESTRUM_SIM_KINECT "$@" >"$scratch/$name.out" 2>"$scratch/$name.err" || status=$?
  echo "$name: exit $status; standard error:"
  sed 's/^/  /' "$scratch/$name.err"
  ((status == expected_status)) || fail "$name: exit code $status, expected $expected_status"
  [[ ! -s "$scratch/$name.out" ]] || fail "$name: standard output is not empty: $(head -c 200 "$scratch/$name.out")"
  [[ "$(tail -n 1 "$scratch/$name.err")" == "$expected_line" ]] \
    || fail "$name: the last line on standard error is not: $expected_line"
  # The library itself looked for a device, so this is its no-camera path and not an earlier failure.
  grep -q '^\[Info\] \[Freenect2Impl\] found 0 devices$' "$scratch/$name.err" \
    || fail "$name: libfreenect2 did not report that it found no device"
}

phase "No camera: both programs against the real libfreenect2"
expect_no_camera 1 '{"event":"error","message":"Keine Kinect v2 gefunden."}' \
  "$build_dir/capture/kestrum-capture" "$scratch/series" 1000 1
expect_no_camera 3 'Keine Kinect v2 gefunden.' "$build_dir/photo/kestrum-photo" "$scratch/photo.jpg"

phase "No camera: kestrum-doctor against the real libfreenect2"
# An empty fake USB tree keeps the machine's own devices out of its lines.
mkdir -p "$scratch/no-usb/sys/bus/usb/devices" "$scratch/doctor-out"
status=0
env -u KESTRUM_SIM_ORBBEC -u KESTRUM_SIM_KINECT KESTRUM_SYSTEM_ROOT="$scratch/no-usb" \
  "$build_dir/doctor/kestrum-doctor" --json "$scratch/doctor-out" >"$scratch/doctor.out" 2>"$scratch/doctor.err" || status=$?
echo "kestrum-doctor: exit $status; standard output:"
sed 's/^/  /' "$scratch/doctor.out"
((status == 1)) || fail "kestrum-doctor: exit code $status, expected 1"
grep -qxF '{"level":"problem","topic":"camera","message":"neither the Orbbec SDK nor libfreenect2 finds a camera: the programs report \"Keine Kinect v2 gefunden.\"","fix":"see the USB lines above"}' \
  "$scratch/doctor.out" || fail "kestrum-doctor: no camera line in the programs' words"
grep -q '^\[Info\] \[Freenect2Impl\] found 0 devices$' "$scratch/doctor.err" \
  || fail "kestrum-doctor: libfreenect2 did not report that it found no device"

phase "Kinect v2 frame files through the real Registration"
ctest --test-dir "$build_dir" -L real-sdk --output-on-failure

phase "Configure against libfreenect2 without C++11 threading"
if cmake -S "$repo" -B "$scratch/wrapper-build" -DKESTRUM_BUILD_TESTS=OFF \
     -DKESTRUM_FREENECT2=REAL -DKESTRUM_ORBBEC_SDK=SIMULATED -DCMAKE_PREFIX_PATH="$wrapper_prefix" \
     >"$scratch/wrapper-configure.log" 2>&1; then
  fail "configuring against $wrapper_prefix succeeded; it must refuse a libfreenect2 without C++11 threading"
fi
sed -n '/CMake Error/,/^Call Stack/p' "$scratch/wrapper-configure.log"
grep -q 'LIBFREENECT2_THREADING_STDLIB' "$scratch/wrapper-configure.log" \
  || fail "the configure error does not name the cause (no LIBFREENECT2_THREADING_STDLIB)"
grep -q 'ENABLE_CXX11=ON' "$scratch/wrapper-configure.log" \
  || fail "the configure error does not name the fix (-DENABLE_CXX11=ON)"

phase "All checks passed"
