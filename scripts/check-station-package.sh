#!/usr/bin/env bash
# Builds the station's package, kestrum_<version>_arm64.deb, against the real camera SDKs and
# checks it as installed, under emulation.
#
#   scripts/check-station-package.sh [BUILD_DIR]   (default: build-arm64-station)
#
#  1. Takes the Orbbec SDK and libfreenect2 that scripts/build-real-sdks.sh cross-builds for arm64
#     from ../shared/realsdk/ (built once, then cached), cross-builds the four programs, their
#     manual pages and the real-sdk tests against them in BUILD_DIR, and packages
#     BUILD_DIR/packages/kestrum_<version>_arm64.deb.
#  2. Checks what the package holds, its conffile, that every library its programs and SDK
#     libraries need comes from the package itself or from a declared dependency, and runs lintian.
#  3. Assembles an arm64 root of the package's declared dependencies and theirs, nothing else
#     (scripts/assemble-arm64-sysroot.sh), installs the package there with dpkg (its maintainer
#     scripts run without a chroot, as dpkg does for a foreign root) and runs, inside that root
#     under qemu-aarch64-static and in an empty network namespace: the real-sdk tests against the
#     packaged SDKs; both programs' no-camera paths (scripts/no-camera-checks.sh); kestrum-doctor's
#     sdk-config lines for the packaged Orbbec SDK (network discovery off) and, after the
#     documented step that registers a vendor's full SDK, for that one. Then purges the package and
#     checks that nothing of it is left.
# Installs what it needs when missing. Works as root, and through sudo for the packages.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(realpath -m "${1:-"$repo/build-arm64-station"}")
sysroot=$(realpath -m "${KESTRUM_ARM64_SYSROOT:-"$repo/build-arm64/sysroot"}")
root="$build_dir/root"
# shellcheck source=scripts/script-phases.sh
. "$repo/scripts/script-phases.sh"

# shellcheck source=scripts/needed-libraries.sh
. "$repo/scripts/needed-libraries.sh"
# shellcheck source=scripts/no-camera-checks.sh
. "$repo/scripts/no-camera-checks.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

phase "Host tools"
"$repo/scripts/install-missing-packages.sh" cmake make file g++-aarch64-linux-gnu qemu-user-static \
  debian-archive-keyring pkg-config util-linux lintian man-db go-md2man
phase_done

phase "The real SDKs for arm64"
sdks=$(KESTRUM_ARM64_SYSROOT="$sysroot" "$repo/scripts/build-real-sdks.sh" arm64)
orbbec_prefix=$(awk '$1 == "orbbec" { print $2 }' <<<"$sdks")
freenect2_prefix=$(awk '$1 == "freenect2" { print $2 }' <<<"$sdks")
phase_done

phase "Cross-build the programs and the real-sdk tests against them"
# The SDKs lie outside the sysroot: they join it as roots in which CMake may look.
cmake -S "$repo" -B "$build_dir" \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-aarch64-linux-gnu.cmake" -DKESTRUM_ARM64_SYSROOT="$sysroot" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -U freenect2_LIBRARY -U freenect2_INCLUDE_DIR -DCMAKE_FIND_ROOT_PATH="$orbbec_prefix;$freenect2_prefix" \
  -DKESTRUM_ORBBEC_SDK=REAL -DOrbbecSDK_DIR="$orbbec_prefix/lib" \
  -DKESTRUM_FREENECT2=REAL -Dfreenect2_DIR="$freenect2_prefix/lib/cmake/freenect2" | tee "$scratch/configure.log"
for line in "Orbbec SDK: real ($orbbec_prefix/lib)" "libfreenect2: real ($freenect2_prefix/lib/libfreenect2.so" \
            "Package: kestrum "; do
  grep -qF -- "-- $line" "$scratch/configure.log" || fail "the configure step did not say: $line"
done
# The package's programs and the tests that need the real SDKs; the whole suite runs in the
# simulated arm64 build (scripts/cross-build-arm64.sh).
cmake --build "$build_dir" -j "$(nproc)" --target kestrum-capture kestrum-photo kestrum-series kestrum-doctor \
  manual-pages orbbec_alignment_tests real_freenect2_tests
phase_done

phase "Package"
rm -rf "$build_dir/packages"
(cd "$build_dir" && cpack -G DEB)
debs=("$build_dir"/packages/*.deb)
if ((${#debs[@]} != 1)) || [[ ! -f "${debs[0]}" ]]; then
  fail "expected one .deb in $build_dir/packages"
fi
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[[ "$(basename "$deb")" == "kestrum_${version}_arm64.deb" ]] || fail "the package is $(basename "$deb"), not kestrum_${version}_arm64.deb"
phase_done

phase "Check the package $deb"
dpkg-deb -I "$deb" | sed -n '/^ Package:/,$p'
depends=$(dpkg-deb -f "$deb" Depends)
dpkg-deb -x "$deb" "$scratch/package"
dpkg-deb -e "$deb" "$scratch/control"
contents=$(cd "$scratch/package" && find . -mindepth 1 \( -type f -o -type l \) -printf '%p%l\n' | sed 's|^\./|/|' | sort)
echo "$contents"
expected=$(sort <<EOF
/etc/kestrum/OrbbecSDKConfig.xml
/usr/bin/kestrum-capture
/usr/bin/kestrum-doctor
/usr/bin/kestrum-photo
/usr/bin/kestrum-series
/usr/lib/kestrum/libfreenect2.so.0.2libfreenect2.so.0.2.0
/usr/lib/kestrum/libfreenect2.so.0.2.0
/usr/lib/kestrum/orbbec-sdk-core/OrbbecSDKConfig.xml/etc/kestrum/OrbbecSDKConfig.xml
/usr/lib/kestrum/orbbec-sdk-core/libOrbbecSDK.so.2libOrbbecSDK.so.2.9.3
/usr/lib/kestrum/orbbec-sdk-core/libOrbbecSDK.so.2.9.3
/usr/lib/udev/rules.d/70-kestrum-cameras.rules
/usr/share/doc/kestrum/changelog.gz
/usr/share/doc/kestrum/copyright
/usr/share/lintian/overrides/kestrum
/usr/share/man/man1/kestrum-capture.1.gz
/usr/share/man/man1/kestrum-doctor.1.gz
/usr/share/man/man1/kestrum-photo.1.gz
/usr/share/man/man1/kestrum-series.1.gz
EOF
)
[[ "$contents" == "$expected" ]] || fail "the package holds (a link followed by its target):"$'\n'"$contents"$'\n'"expected:"$'\n'"$expected"
[[ "$(cat "$scratch/control/conffiles")" == /etc/kestrum/OrbbecSDKConfig.xml ]] || fail "the conffiles are not /etc/kestrum/OrbbecSDKConfig.xml"
grep -q '<EnumerateNetDevice>false</EnumerateNetDevice>' "$scratch/package/etc/kestrum/OrbbecSDKConfig.xml" \
  || fail "the packaged OrbbecSDKConfig.xml does not turn network discovery off"

# Every library an ELF file of the package needs is one the package carries or one a declared
# dependency provides; the programs find the packaged ones through their run path.
packaged_sonames=$(find "$scratch/package/usr/lib/kestrum" -name '*.so.*' -printf '%f\n')
while IFS= read -r -d '' file; do
  file -b "$file" | grep -q '^ELF 64-bit LSB .*ARM aarch64' || fail "$file is not an ARM aarch64 ELF file"
  check_needed_libraries "$file" "$depends" "$sysroot" "$packaged_sonames"
done < <(find "$scratch/package" -type f \( -path '*/bin/*' -o -name '*.so.*' \) -print0)
run_path='$ORIGIN/../lib/kestrum/orbbec-sdk:$ORIGIN/../lib/kestrum/orbbec-sdk-core:$ORIGIN/../lib/kestrum'
for program in kestrum-capture kestrum-photo kestrum-doctor; do
  aarch64-linux-gnu-readelf -d "$scratch/package/usr/bin/$program" | grep -qF "(RUNPATH)            Library runpath: [$run_path]" \
    || fail "$program does not have the run path $run_path"
done

echo "lintian:"
lintian --tag-display-limit 0 "$deb" | tee "$scratch/lintian" | sed 's/^/  /'
if grep -E '^[EW]: ' "$scratch/lintian"; then
  fail "lintian reports the errors or warnings above"
fi
phase_done

phase "Install into an arm64 root of the package's dependencies"
rm -rf "$root"
"$repo/scripts/assemble-arm64-sysroot.sh" "$root" "$deb"
before=$(cd "$root" && find . | sort)
dpkg --root="$root" --force-script-chrootless -i "$deb"
[[ "$(readlink "$root/usr/lib/kestrum/orbbec-sdk")" == /etc/alternatives/kestrum-orbbec-sdk ]] \
  || fail "the package did not make /usr/lib/kestrum/orbbec-sdk an alternative"
# The installed manual pages, read by name as man finds them (the root has no man of its own).
for program in kestrum-capture kestrum-photo kestrum-series kestrum-doctor; do
  MANPATH="$root/usr/share/man" MANWIDTH=200 man "$program" 2>/dev/null | grep -q "^ *$program - " \
    || fail "man $program shows no page named $program"
done
phase_done

# Inside the root: qemu, the working directories and the tests sit in a folder removed before
# the purge is checked.
check_dir=/.kestrum-check
mkdir -p "$root$check_dir/tmp" "$root$check_dir/tests"
cp "$(command -v qemu-aarch64-static)" "$root$check_dir/"
cp "$build_dir/tests/orbbec_alignment_tests" "$build_dir/tests/real_freenect2_tests" "$root$check_dir/tests/"
no_network=(unshare -n)
if [[ $(id -u) -ne 0 ]]; then
  no_network=(unshare -r -n)
fi
# in_root WORKING_DIR PROGRAM ARGUMENT...: runs an arm64 program of the root with the root as its
# file system and WORKING_DIR (a path in the root) as its working directory, without a network, with
# the settings in the array environment. The emulator passes them to the program alone, so that the
# host's loader (of unshare) neither logs its own bindings nor takes the root's library path.
in_root() {
  local working_dir=$1 setting settings=()
  shift
  for setting in TMPDIR="$check_dir/tmp" "${environment[@]}"; do
    settings+=(-E "$setting")
  done
  env -i PATH=/usr/bin "${no_network[@]}" --root="$root" --wd="$working_dir" \
    "$check_dir/qemu-aarch64-static" "${settings[@]}" "$@"
}

phase "Frame files through the packaged SDKs' Registration and Align, under emulation"
environment=(LD_LIBRARY_PATH=/usr/lib/kestrum/orbbec-sdk:/usr/lib/kestrum)
for test in orbbec_alignment_tests real_freenect2_tests; do
  in_root "$check_dir/tmp" "$check_dir/tests/$test" || fail "$test failed against the packaged SDKs"
done
phase_done

phase "No camera: both programs as installed"
# Runs an installed program in RUN_DIR/cwd of the root with its symbol bindings logged (expect_no_camera).
run_installed() {
  local run=$1 inside=${1#"$root"}
  shift
  environment=(LD_DEBUG=bindings LD_DEBUG_OUTPUT="$inside/bindings")
  in_root "$inside/cwd" "$@"
}
expect_no_camera "$root$check_dir/capture" 1 '{"event":"error","message":"Keine Kinect v2 gefunden."}' run_installed \
  /usr/bin/kestrum-capture series 1000 1
expect_no_camera "$root$check_dir/photo" 3 'Keine Kinect v2 gefunden.' run_installed /usr/bin/kestrum-photo photo.jpg
phase_done

# expect_sdk_lines LIBRARY LOADED_AS SDK_CONFIG_LINE: kestrum-doctor's two sdk-config lines.
expect_sdk_lines() {
  local run="$root$check_dir/doctor" expected
  rm -rf "$run"
  mkdir -p "$run"
  environment=()
  in_root "$check_dir/doctor" /usr/bin/kestrum-doctor --json "$check_dir/doctor/out" >"$run/lines" 2>"$run/err" || true
  echo "kestrum-doctor's lines:"
  sed 's/^/  /' "$run/lines"
  expected="{\"level\":\"ok\",\"topic\":\"sdk-config\",\"message\":\"the programs load the Orbbec SDK $1 (as $2)\",\"fix\":\"\"}"
  grep -qxF "$expected" "$run/lines" || fail "kestrum-doctor: no line $expected"
  grep -qxF "$3" "$run/lines" || fail "kestrum-doctor: no line $3"
  [[ ! -e "$run/Log" ]] || fail "kestrum-doctor: the Orbbec SDK left a Log/ folder in the working directory"
}

phase "kestrum-doctor: the packaged Orbbec SDK and its configuration file"
expect_sdk_lines /usr/lib/kestrum/orbbec-sdk-core/libOrbbecSDK.so.2.9.3 /usr/lib/kestrum/orbbec-sdk/libOrbbecSDK.so.2 \
  '{"level":"ok","topic":"sdk-config","message":"/etc/kestrum/OrbbecSDKConfig.xml: network discovery off","fix":""}'
phase_done

phase "kestrum-doctor: a vendor's full Orbbec SDK in its place"
# The vendor's SDK folder stands in here as the SDK's own installation, with its own configuration file.
vendor_dir=/opt/OrbbecSDK/lib
mkdir -p "$root$vendor_dir"
cp -P "$orbbec_prefix"/lib/libOrbbecSDK.so.* "$orbbec_prefix/lib/OrbbecSDKConfig.xml" "$root$vendor_dir/"
# The station section's step, here with the root named to update-alternatives.
DPKG_ROOT="$root" update-alternatives --install /usr/lib/kestrum/orbbec-sdk kestrum-orbbec-sdk "$vendor_dir" 20
vendor_config="$vendor_dir/OrbbecSDKConfig.xml"
expect_sdk_lines "$vendor_dir/libOrbbecSDK.so.2.9.3" /usr/lib/kestrum/orbbec-sdk/libOrbbecSDK.so.2 \
  "{\"level\":\"note\",\"topic\":\"sdk-config\",\"message\":\"$vendor_config: network discovery on, which adds about 2 s \
to every start of the programs\",\"fix\":\"sudo sed -i -e 's|<EnumerateNetDevice>[^<]*</EnumerateNetDevice>|\
<EnumerateNetDevice>false</EnumerateNetDevice>|' $vendor_config\"}"
phase_done

phase "Purge"
rm -rf "$root$check_dir" "$root/opt"
dpkg --root="$root" --force-script-chrootless --purge kestrum
# dpkg's own records and logs change; anything else left or gone is a fault.
after=$(cd "$root" && find . | sort)
changed=$(diff <(grep -v -e '^\./var/lib/dpkg/' -e '^\./var/log/' <<<"$before") \
               <(grep -v -e '^\./var/lib/dpkg/' -e '^\./var/log/' <<<"$after") || true)
[[ -z "$changed" ]] || fail "the purge left the root changed:"$'\n'"$changed"
for record in "var/lib/dpkg/info/kestrum.list" "var/lib/dpkg/alternatives/kestrum-orbbec-sdk"; do
  [[ ! -e "$root/$record" ]] || fail "the purge left $record"
done
phase_done

echo "Station package built, installed, checked under emulation and purged in $((SECONDS - started)) s: $deb"
