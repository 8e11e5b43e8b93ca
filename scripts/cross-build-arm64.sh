#!/usr/bin/env bash
# Cross-builds kestrum for 64-bit Arm, runs the whole test suite under qemu, and builds the .deb.
#
#   scripts/cross-build-arm64.sh [BUILD_DIR] [extra cmake arguments...]   (default: build-arm64)
#
# Installs what it needs when missing (the cross compiler, qemu-user-static),
# assembles the arm64 sysroot in BUILD_DIR/sysroot from Debian's arm64
# packages (scripts/assemble-arm64-sysroot.sh; the host gets no arm64
# packages), builds the four programs and the tests against the simulated camera
# SDKs, runs the suite through CTest with qemu-aarch64-static -L BUILD_DIR/sysroot,
# then packages BUILD_DIR/packages/kestrum-sim_<version>_arm64.deb and checks
# what it holds. Works as root and through sudo; safe to repeat.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(realpath -m "${1:-"$repo/build-arm64"}")
shift || true
sysroot="$build_dir/sysroot"
# shellcheck source=scripts/script-phases.sh
. "$repo/scripts/script-phases.sh"
# shellcheck source=scripts/needed-libraries.sh
. "$repo/scripts/needed-libraries.sh"

phase "Host tools"
packages=(cmake make file g++-aarch64-linux-gnu qemu-user-static debian-archive-keyring go-md2man)
"$repo/scripts/install-missing-packages.sh" "${packages[@]}"
phase_done

phase "arm64 sysroot"
"$repo/scripts/assemble-arm64-sysroot.sh" "$sysroot"
phase_done

phase "Configure and build for arm64"
# The real camera SDKs are not Debian packages: the cross build uses the stand-ins.
cmake -S "$repo" -B "$build_dir" \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-aarch64-linux-gnu.cmake" \
  -DKESTRUM_ARM64_SYSROOT="$sysroot" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRUM_ORBBEC_SDK=SIMULATED -DKESTRUM_FREENECT2=SIMULATED \
  "$@"
cmake --build "$build_dir" -j "$(nproc)"
phase_done

phase "Test suite under qemu-aarch64-static"
ctest --test-dir "$build_dir" --output-on-failure -j 2
phase_done

phase "Install and package"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# cmake --install must put the four programs into bin/ and nothing else.
DESTDIR="$scratch/install" cmake --install "$build_dir" --prefix /usr >/dev/null
installed=$(cd "$scratch/install" && find . -mindepth 1 \( -type f -o -type l \) | sort)
expected=$'./usr/bin/kestrum-capture\n./usr/bin/kestrum-doctor\n./usr/bin/kestrum-photo\n./usr/bin/kestrum-series'
for program in kestrum-capture kestrum-doctor kestrum-photo kestrum-series; do
  expected+=$'\n'./usr/share/man/man1/$program.1.gz
done
[[ "$installed" == "$expected" ]] || fail "cmake --install installs:"$'\n'"$installed"$'\n'"expected:"$'\n'"$expected"

rm -rf "$build_dir/packages"
(cd "$build_dir" && cpack -G DEB)
debs=("$build_dir"/packages/*.deb)
if ((${#debs[@]} != 1)) || [[ ! -f "${debs[0]}" ]]; then
  fail "expected one .deb in $build_dir/packages"
fi
deb=${debs[0]}
phase_done

phase "Check the package $deb"
name=$(dpkg-deb -f "$deb" Package)
architecture=$(dpkg-deb -f "$deb" Architecture)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Package: $name"$'\n'"Architecture: $architecture"$'\n'"Depends: $depends"
# Built against the stand-ins, so it must never be mistaken for a station package.
[[ "$name" == kestrum-sim ]] || fail "a build against the simulated SDKs is packaged as '$name', not kestrum-sim"
[[ "$architecture" == arm64 ]] || fail "package architecture is '$architecture', not arm64"

dpkg-deb -x "$deb" "$scratch/package"
contents=$(cd "$scratch/package" && find . -mindepth 1 \( -type f -o -type l \) | sort)
[[ "$contents" == "$expected" ]] || fail "the package holds:"$'\n'"$contents"$'\n'"expected:"$'\n'"$expected"

for program in kestrum-capture kestrum-photo kestrum-series kestrum-doctor; do
  path="$scratch/package/usr/bin/$program"
  [[ -x "$path" ]] || fail "$program is not executable in the package"
  description=$(file -b "$path")
  echo "$program: $description"
  [[ "$description" == *"ARM aarch64"* ]] || fail "$program is not an ARM aarch64 program"
  # Every library the program needs is provided by a declared dependency.
  check_needed_libraries "$path" "$depends" "$sysroot"
done
phase_done

echo "arm64 cross build, emulated test suite and package passed in $((SECONDS - started)) s: $deb"
