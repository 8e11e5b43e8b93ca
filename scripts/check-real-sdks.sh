#!/usr/bin/env bash
# Builds kestrum against the real camera SDKs, the Orbbec SDK v2 and libfreenect2, and checks it there.
#
#   scripts/check-real-sdks.sh [BUILD_DIR]   (default: build-real-sdks)
#
# Builds the SDKs from ../shared/realsdk/ beside the checkout (KESTRUM_REALSDK_DIR overrides): the
# Orbbec SDK, and libfreenect2 with and without C++11 threading, each installed once into
# ${XDG_CACHE_HOME:-~/.cache}/kestrum/ under a name made from its archive's sha256 and its build
# options, so later runs reuse it. Then checks, inside an empty network namespace (the Orbbec SDK
# looks for network cameras on every interface otherwise), that
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
# Installs what it needs when missing. Works as root and through sudo; safe to repeat.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(realpath -m "${1:-"$repo/build-real-sdks"}")
realsdk_dir=$(realpath -m "${KESTRUM_REALSDK_DIR:-"$repo/../shared/realsdk"}")
orbbec_archive="$realsdk_dir/OrbbecSDK_v2-2.9.3-core-869ae2d.tar.gz"
freenect2_archive="$realsdk_dir/libfreenect2-0.2.0-fd64c5d.tar.gz"
cache_dir="${XDG_CACHE_HOME:-$HOME/.cache}/kestrum"
started=$SECONDS

phase() {
  echo "== $* (after $((SECONDS - started)) s)"
}
fail() {
  echo "check-real-sdks: $*" >&2
  exit 1
}

for archive in "$orbbec_archive" "$freenect2_archive"; do
  [[ -f "$archive" ]] || fail "no SDK source archive at $archive"
done
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

# The Orbbec SDK's top-level CMakeLists.txt always adds extensions/, whose prebuilt libraries the
# archive leaves out: an empty one stands in.
add_empty_orbbec_extensions() {
  mkdir -p "$1/extensions"
  : >"$1/extensions/CMakeLists.txt"
}

# install_sdk NAME ARCHIVE PREPARE OPTION...: sets sdk_prefix to an installation of the archive's
# source, prepared by the command PREPARE given the source folder and built with the options. The
# installed CMake packages find their libraries only below the prefix they were installed to, so it
# is built for its final place, and marked complete only at the end.
install_sdk() {
  local name=$1 archive=$2 prepare=$3 key
  shift 3
  key=$(printf '%s\n' "$(sha256sum "$archive" | cut -d' ' -f1)" "$@" | sha256sum | cut -c1-16)
  sdk_prefix="$cache_dir/$name-$key"
  if [[ -f "$sdk_prefix/.complete" ]]; then
    echo "cached: $sdk_prefix"
    return
  fi
  rm -rf "$sdk_prefix"
  local work="$scratch/$name"
  mkdir -p "$work/source"
  tar -xzf "$archive" -C "$work/source" --strip-components=1
  "$prepare" "$work/source"
  cmake -S "$work/source" -B "$work/build" -DCMAKE_INSTALL_PREFIX="$sdk_prefix" "$@" \
    >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "$name did not configure"; }
  cmake --build "$work/build" -j 2 >"$work/build.log" 2>&1 || { tail -n 100 "$work/build.log"; fail "$name did not build"; }
  cmake --install "$work/build" >/dev/null
  touch "$sdk_prefix/.complete"
  echo "built: $sdk_prefix"
}

phase "Orbbec SDK (without its examples, documentation, tests and tools)"
install_sdk OrbbecSDK-2.9.3 "$orbbec_archive" add_empty_orbbec_extensions -DCMAKE_BUILD_TYPE=Release \
  -DOB_BUILD_EXAMPLES=OFF -DOB_BUILD_DOCS=OFF -DOB_BUILD_TESTS=OFF -DOB_BUILD_TOOLS=OFF -DOB_INSTALL_EXAMPLES_SOURCE=OFF
orbbec_prefix=$sdk_prefix

# Only the library with the CPU depth pipeline: libusb and TurboJPEG are all it needs.
freenect2_options=(-DCMAKE_BUILD_TYPE=Release -DENABLE_OPENGL=OFF -DENABLE_OPENCL=OFF -DENABLE_CUDA=OFF
                   -DENABLE_VAAPI=OFF -DENABLE_TEGRAJPEG=OFF -DBUILD_EXAMPLES=OFF -DBUILD_OPENNI2_DRIVER=OFF)
phase "libfreenect2 with C++11 threading"
install_sdk libfreenect2-0.2.0-cxx11-ON "$freenect2_archive" true "${freenect2_options[@]}" -DENABLE_CXX11=ON
stdlib_prefix=$sdk_prefix

phase "libfreenect2 with its own thread wrapper"
install_sdk libfreenect2-0.2.0-cxx11-OFF "$freenect2_archive" true "${freenect2_options[@]}" -DENABLE_CXX11=OFF
wrapper_prefix=$sdk_prefix

phase "Configure and build kestrum against both real SDKs"
cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
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

# expect_no_camera EXIT_CODE LAST_STDERR_LINE PROGRAM ARGUMENT...: runs the program in a working
# directory of its own, with the dynamic linker's symbol bindings logged.
expect_no_camera() {
  local expected_status=$1 expected_line=$2 name
  shift 2
  name=$(basename "$1")
  local run="$scratch/$name"
  mkdir -p "$run/cwd"
  local status=0
  (cd "$run/cwd" && env -u KESTRUM_SIM_ORBBEC -u KESTRUM_SIM_KINECT LD_DEBUG=bindings LD_DEBUG_OUTPUT="$run/bindings" \
     "${no_network[@]}" "$@" >"$run/out" 2>"$run/err") || status=$?
  echo "$name: exit $status; standard error:"
  sed 's/^/  /' "$run/err"
  ((status == expected_status)) || fail "$name: exit code $status, expected $expected_status"
  [[ ! -s "$run/out" ]] || fail "$name: standard output is not empty: $(head -c 200 "$run/out")"
  [[ "$(tail -n 1 "$run/err")" == "$expected_line" ]] || fail "$name: the last line on standard error is not: $expected_line"
  [[ ! -e "$run/cwd/Log" ]] || fail "$name: the Orbbec SDK left a Log/ folder in the working directory"
  # libfreenect2 itself enumerated the USB devices, so this is its no-camera path and not a libusb failure.
  for line in '[Info] [Freenect2Impl] 0 usb devices connected' '[Info] [Freenect2Impl] found 0 devices'; do
    grep -qxF "$line" "$run/err" || fail "$name: libfreenect2 did not log: $line"
  done
  # The threads' lines may run into each other; each binding is one match.
  grep -ho "binding file [^ ]*/libfreenect2\.so[^ ]* \[[0-9]*\] to [^ ]* \[[0-9]*\]: normal symbol \`libusb_[A-Za-z0-9_]*'" \
    "$run/bindings".* >"$run/libusb-bindings" || true
  grep -q "symbol \`libusb_init'" "$run/libusb-bindings" || fail "$name: no binding of libfreenect2's libusb_init was logged"
  if grep -v " to [^ ]*/libusb-1\.0\.so\.0 " "$run/libusb-bindings"; then
    fail "$name: the libusb calls of libfreenect2 above bind to another library than the system libusb-1.0"
  fi
  echo "$name: $(wc -l <"$run/libusb-bindings") libusb bindings of libfreenect2, all to the system libusb-1.0"
}

phase "No camera: both programs against the real SDKs"
expect_no_camera 1 '{"event":"error","message":"Keine Kinect v2 gefunden."}' "$build_dir/capture/kestrum-capture" series 1000 1
expect_no_camera 3 'Keine Kinect v2 gefunden.' "$build_dir/photo/kestrum-photo" photo.jpg

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
