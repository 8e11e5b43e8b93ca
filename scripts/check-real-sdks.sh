#!/usr/bin/env bash
# Builds kestrum against the real camera SDKs, the Orbbec SDK v2 and libfreenect2, and checks it there.
#
#   scripts/check-real-sdks.sh [BUILD_DIR]   (default: build-real-sdks)
#
# Takes the SDKs that scripts/build-real-sdks.sh builds for amd64 from ../shared/realsdk/ (built
# once, then cached): the Orbbec SDK, and libfreenect2 with and without C++11 threading. Then
# checks, inside an empty network namespace (the Orbbec SDK looks for network cameras on every
# interface otherwise), that
#  - the frame files come out right through the real libfreenect2 Registration and the real Orbbec
#    Align (the real-sdk tests);
#  - both programs take the no-camera path: exit codes 1 and 3, nothing on standard output, the
#    Kinect v2 error line last on standard error after libfreenect2's own lines of an enumeration
#    that found no device, and no Log/ folder in the working directory;
#  - every libusb call of libfreenect2 binds to the system libusb-1.0, not to the copy inside the
#    Orbbec SDK (LD_DEBUG=bindings);
#  - kestrum-doctor reads the OrbbecSDKConfig.xml installed beside the Orbbec SDK's library, whose
#    network discovery is on, and says so in its sdk-config line;
#  - configuring against the libfreenect2 without C++11 threading fails and says how to fix it.
# scripts/check-station-package.sh runs all but the last on the station's arm64 package, as installed.
# Installs what it needs when missing. Works as root and through sudo; safe to repeat.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(realpath -m "${1:-"$repo/build-real-sdks"}")
# shellcheck source=scripts/script-phases.sh
. "$repo/scripts/script-phases.sh"

# shellcheck source=scripts/no-camera-checks.sh
. "$repo/scripts/no-camera-checks.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The programs' network namespace: without one of their own, root may make it directly.
no_network=(unshare -n)
if [[ $(id -u) -ne 0 ]]; then
  no_network=(unshare -r -n)
fi

phase "Packages"
"$repo/scripts/install-missing-packages.sh" cmake make g++ util-linux \
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev libgtest-dev nlohmann-json3-dev libtinyxml2-dev \
  libusb-1.0-0-dev libturbojpeg0-dev pkg-config go-md2man

phase "The real SDKs for amd64"
sdks=$("$repo/scripts/build-real-sdks.sh" amd64)
sdk_prefix() {
  awk -v name="$1" '$1 == name { print $2 }' <<<"$sdks"
}
orbbec_prefix=$(sdk_prefix orbbec)
stdlib_prefix=$(sdk_prefix freenect2)
wrapper_prefix=$(sdk_prefix freenect2-own-threads)

phase "Configure and build kestrum against both real SDKs"
# What freenect2Config.cmake found is cached: found again, for SDK builds of other options.
cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -U freenect2_LIBRARY -U freenect2_INCLUDE_DIR \
  -DKESTRUM_ORBBEC_SDK=REAL -DOrbbecSDK_DIR="$orbbec_prefix/lib" \
  -DKESTRUM_FREENECT2=REAL -DCMAKE_PREFIX_PATH="$stdlib_prefix" | tee "$scratch/configure.log"
grep -qF "Orbbec SDK: real ($orbbec_prefix/lib)" "$scratch/configure.log" \
  || fail "the configure step did not take the Orbbec SDK in $orbbec_prefix"
grep -qF "libfreenect2: real ($stdlib_prefix/lib/libfreenect2.so" "$scratch/configure.log" \
  || fail "the configure step did not take the libfreenect2 in $stdlib_prefix"
# The programs and the tests that need the real SDKs; the rest of the suite runs in other stages.
cmake --build "$build_dir" -j 2 --target kestrum-capture kestrum-photo kestrum-doctor real_freenect2_tests \
  orbbec_alignment_tests

phase "Frame files through the real Registration and the real Align"
"${no_network[@]}" ctest --test-dir "$build_dir" -L real-sdk --output-on-failure

# Runs a program in RUN_DIR/cwd with the dynamic linker's symbol bindings logged (expect_no_camera).
run_in() {
  local run=$1
  shift
  (cd "$run/cwd" && env -u KESTRUM_SIM_ORBBEC -u KESTRUM_SIM_KINECT LD_DEBUG=bindings LD_DEBUG_OUTPUT="$run/bindings" \
     "${no_network[@]}" "$@")
}

phase "No camera: both programs against the real SDKs"
expect_no_camera "$scratch/capture" 1 '{"event":"error","message":"Keine Kinect v2 gefunden."}' run_in \
  "$build_dir/capture/kestrum-capture" series 1000 1
expect_no_camera "$scratch/photo" 3 'Keine Kinect v2 gefunden.' run_in "$build_dir/photo/kestrum-photo" photo.jpg

phase "kestrum-doctor: the Orbbec SDK's configuration file beside its library"
# The other lines depend on this machine's USB devices and folders; only the sdk-config line is checked.
config_file="$orbbec_prefix/lib/OrbbecSDKConfig.xml"
mkdir -p "$scratch/doctor/cwd"
(cd "$scratch/doctor/cwd" && env -u KESTRUM_SIM_ORBBEC -u KESTRUM_SIM_KINECT \
   "${no_network[@]}" "$build_dir/doctor/kestrum-doctor" --json "$scratch/doctor/out" \
   >"$scratch/doctor/lines" 2>"$scratch/doctor/err") || true
echo "kestrum-doctor's lines:"
sed 's/^/  /' "$scratch/doctor/lines"
grep -qxF "{\"level\":\"note\",\"topic\":\"sdk-config\",\"message\":\"$config_file: network discovery on, which adds \
about 2 s to every start of the programs\",\"fix\":\"sudo sed -i -e 's|<EnumerateNetDevice>[^<]*</EnumerateNetDevice>|\
<EnumerateNetDevice>false</EnumerateNetDevice>|' $config_file\"}" "$scratch/doctor/lines" \
  || fail "kestrum-doctor: no sdk-config line saying that $config_file turns network discovery on"
[[ ! -e "$scratch/doctor/cwd/Log" ]] || fail "kestrum-doctor: the Orbbec SDK left a Log/ folder in the working directory"

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
