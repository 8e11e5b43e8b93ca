#!/usr/bin/env bash
# Assembles an arm64 sysroot from Debian's arm64 packages without installing them on the host.
#
#   scripts/assemble-arm64-sysroot.sh [SYSROOT_DIR [PACKAGE_FILE]]   (default: build-arm64/sysroot)
#
# Without PACKAGE_FILE the sysroot holds what kestrum is built against. With
# PACKAGE_FILE (an arm64 .deb) it is a root that holds that package's declared
# dependencies with theirs and nothing else, each recorded as installed in the
# root's dpkg database, so that dpkg --root can install the package there.
#
# The packages are resolved and downloaded by apt with a private state
# directory that believes the machine is arm64 and has nothing installed, so
# the host's dpkg database, architectures and package lists stay untouched.
# Each package is then unpacked into SYSROOT_DIR (a merged-/usr layout, like a
# bookworm system). A stamp records what the sysroot holds: a second run with
# the same package list does nothing, and downloaded packages are kept beside
# the sysroot (SYSROOT_DIR.apt/) so that a rebuild needs no network.
#
# Environment: KESTRUM_SYSROOT_SUITE (default: the host's Debian codename),
# KESTRUM_DEBIAN_MIRROR, KESTRUM_DEBIAN_SECURITY_MIRROR.
# Needs apt, dpkg-deb and tar (all in every Debian system); no root rights.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sysroot=${1:-"$repo/build-arm64/sysroot"}
sysroot=$(realpath -m "$sysroot")
package_file=${2:+$(realpath "$2")}
case "$sysroot/" in
  "$repo"/build*/*) ;;
  "$repo"/*) echo "refusing to assemble a sysroot inside the repository outside a build directory: $sysroot" >&2; exit 2 ;;
esac

# What the project builds against; apt adds the dependency closure. The
# runtime parts of libc and libstdc++ come with it, so that the emulator's
# -L finds one consistent C library. nlohmann-json3-dev is header-only (its
# package is the same for every architecture); having it here keeps every
# header of the build inside the sysroot. libfreenect2 is built against
# libusb and TurboJPEG (scripts/build-real-sdks.sh).
packages=(libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
          nlohmann-json3-dev libtinyxml2-dev libgtest-dev libc6 libstdc++6 libgcc-s1
          libusb-1.0-0-dev libturbojpeg0-dev)
if [[ -n "$package_file" ]]; then
  # apt resolves a local package file's dependencies as it would on the station.
  packages=("$package_file")
fi

suite=${KESTRUM_SYSROOT_SUITE:-}
if [[ -z "$suite" ]]; then
  # shellcheck disable=SC1091
  suite=$(. /etc/os-release && if [[ "${ID:-}" == debian ]]; then echo "${VERSION_CODENAME:-}"; fi)
fi
if [[ -z "$suite" ]]; then
  echo "not a Debian host: set KESTRUM_SYSROOT_SUITE to the Debian release of the station (for example bookworm)" >&2
  exit 2
fi
mirror=${KESTRUM_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security_mirror=${KESTRUM_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

stamp="$sysroot/.kestrum-sysroot"
wanted="suite=$suite packages=${packages[*]}"
if [[ -n "$package_file" ]]; then
  wanted+=" depends=$(dpkg-deb -f "$package_file" Depends)"
fi
if [[ -f "$stamp" ]] && [[ "$(head -n 1 "$stamp")" == "$wanted" ]]; then
  echo "arm64 sysroot up to date: $sysroot"
  exit 0
fi

apt_dir="$sysroot.apt"
mkdir -p "$apt_dir/state/lists/partial" "$apt_dir/cache/archives/partial" \
         "$apt_dir/sources.list.d" "$apt_dir/preferences.d" "$apt_dir/log"
: > "$apt_dir/state/status"
cat > "$apt_dir/sources.list" <<EOF
deb [arch=arm64 signed-by=$keyring] $mirror $suite main
deb [arch=arm64 signed-by=$keyring] $mirror $suite-updates main
deb [arch=arm64 signed-by=$keyring] $security_mirror $suite-security main
EOF
apt_options=(
  -o APT::Architecture=arm64
  -o APT::Architectures::=arm64
  -o APT::Install-Recommends=false
  -o APT::Install-Suggests=false
  -o Dir::Etc::SourceList="$apt_dir/sources.list"
  -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
  -o Dir::Etc::Preferences="$apt_dir/preferences"
  -o Dir::Etc::PreferencesParts="$apt_dir/preferences.d"
  -o Dir::State="$apt_dir/state"
  -o Dir::State::status="$apt_dir/state/status"
  -o Dir::Cache="$apt_dir/cache"
  -o Dir::Log="$apt_dir/log"
  -o Debug::NoLocking=true
  -o pkgCacheGen::Essential=none
)
if [[ $(id -u) -eq 0 ]]; then
  # apt drops root rights to _apt for downloads, which cannot write into a build tree.
  apt_options+=(-o APT::Sandbox::User=root)
fi

echo "Resolving and downloading the arm64 packages ($suite): ${packages[*]}"
apt-get -q "${apt_options[@]}" update
apt-get -q -y "${apt_options[@]}" install --download-only "${packages[@]}"
# Versions that the archive no longer has need not stay in the download cache.
apt-get -q -y "${apt_options[@]}" autoclean >/dev/null

debs=("$apt_dir"/cache/archives/*.deb)
# Only this run's closure goes into the sysroot: the cache may hold packages
# of an earlier package list or older versions.
closure=$(apt-get -q -y -s "${apt_options[@]}" install "${packages[@]}" |
          awk '/^Inst /{ sub(/^\(/, "", $3); print $2 "_" $3 }')
if [[ -n "$package_file" ]]; then
  closure=$(grep -v "^$(dpkg-deb -f "$package_file" Package)_" <<< "$closure" || true)
fi
if [[ -z "$closure" ]]; then
  echo "apt resolved no packages" >&2
  exit 1
fi

rm -rf "$sysroot.new"
mkdir -p "$sysroot.new/usr/lib" "$sysroot.new/usr/bin" "$sysroot.new/usr/sbin"
ln -s usr/lib "$sysroot.new/lib"
ln -s usr/bin "$sysroot.new/bin"
ln -s usr/sbin "$sysroot.new/sbin"
if [[ -n "$package_file" ]]; then
  # dpkg's own folders, which its package would have made.
  mkdir -p "$sysroot.new/var/lib/dpkg/info" "$sysroot.new/var/lib/dpkg/updates" "$sysroot.new/var/lib/dpkg/triggers" \
           "$sysroot.new/var/lib/dpkg/alternatives" "$sysroot.new/etc/alternatives"
  echo arm64 > "$sysroot.new/var/lib/dpkg/arch"
  : > "$sysroot.new/var/lib/dpkg/status"
  # What every Debian system has from base-files (essential, so never a declared dependency):
  # /tmp, where programs and libraries write without asking TMPDIR, and /var/log, for dpkg's log.
  mkdir -m 1777 "$sysroot.new/tmp"
  mkdir -p "$sysroot.new/var/log"
fi
manifest="$sysroot.new/.kestrum-packages"
: > "$manifest"
count=0
while read -r name_version; do
  name=${name_version%%_*}
  version=${name_version#*_}
  file_version=${version//:/%3a}
  deb=$(printf '%s\n' "${debs[@]}" | grep -F "/${name}_${file_version}_" | head -n 1 || true)
  if [[ -z "$deb" ]]; then
    echo "downloaded package missing for $name $version" >&2
    exit 1
  fi
  # dpkg-deb -x would replace the lib -> usr/lib link by a directory; tar can keep it.
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$sysroot.new" --keep-directory-symlink --no-same-owner
  # The shared-library information of each package, for the .deb's dependencies.
  dpkg-deb --ctrl-tarfile "$deb" | tar -x -O ./shlibs 2>/dev/null >> "$sysroot.new/.kestrum-shlibs" || true
  printf '%s %s\n' "$name" "$version" >> "$manifest"
  if [[ -n "$package_file" ]]; then
    { dpkg-deb -f "$deb"; echo "Status: install ok installed"; echo; } >> "$sysroot.new/var/lib/dpkg/status"
    list_name=$name
    if [[ "$(dpkg-deb -f "$deb" Multi-Arch)" == same ]]; then
      list_name+=:arm64
    fi
    dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' -e 's|^$|/.|' \
      > "$sysroot.new/var/lib/dpkg/info/$list_name.list"
  fi
  count=$((count + 1))
done <<< "$closure"

# Absolute links would point into the host: make them relative to the sysroot.
while IFS= read -r -d '' link; do
  target=$(readlink "$link")
  ln -sfn "$(realpath -m -s --relative-to="$(dirname "$link")" "$sysroot.new$target")" "$link"
done < <(find "$sysroot.new" -type l -lname '/*' -print0)

# Maintainer scripts do not run here, so the links that update-alternatives
# would create (BLAS and LAPACK, which OpenCV needs) are made from the
# packages' postinst scripts.
while read -r name_version; do
  name=${name_version%%_*}
  version=${name_version#*_}
  deb=$(printf '%s\n' "${debs[@]}" | grep -F "/${name}_${version//:/%3a}_" | head -n 1)
  dpkg-deb --ctrl-tarfile "$deb" | tar -x -O ./postinst 2>/dev/null |
    sed -e ':a' -e '/\\$/N; s/\\\n//; ta' |
    grep -oE -- '--(install|slave)[[:space:]]+[^[:space:]]+[[:space:]]+[^[:space:]]+[[:space:]]+[^[:space:]]+' |
    while read -r _ link _ path; do
      if [[ "$link" == /* && "$path" == /* && ! -e "$sysroot.new$link" && -e "$sysroot.new$path" ]]; then
        mkdir -p "$(dirname "$sysroot.new$link")"
        ln -s "$(realpath -m -s --relative-to="$(dirname "$sysroot.new$link")" "$sysroot.new$path")" "$sysroot.new$link"
      fi
    done || true
done <<< "$closure"

if [[ ! -e "$sysroot.new/usr/lib/ld-linux-aarch64.so.1" ]]; then
  echo "the assembled root lacks the arm64 loader" >&2
  exit 1
fi
if [[ -z "$package_file" ]] && { [[ ! -e "$sysroot.new/usr/include/opencv4/opencv2/core.hpp" ]] ||
   [[ ! -e "$sysroot.new/usr/include/nlohmann/json.hpp" ]] || [[ ! -e "$sysroot.new/usr/include/tinyxml2.h" ]]; }; then
  echo "the assembled sysroot lacks the arm64 loader, the OpenCV headers, nlohmann/json.hpp or tinyxml2.h" >&2
  exit 1
fi
printf '%s\n' "$wanted" > "$sysroot.new/.kestrum-sysroot"
rm -rf "$sysroot"
mv "$sysroot.new" "$sysroot"
echo "arm64 sysroot assembled from $count packages: $sysroot"
