# Sourced by the package checks (after script-phases.sh, for fail).
# check_needed_libraries FILE DEPENDS SYSROOT [PACKAGED]: fails unless every library the arm64 ELF file
# FILE needs is one of the sonames in PACKAGED (one a line, those the package carries itself) or comes
# from a package of the sysroot that DEPENDS, the package's Depends field, names.
check_needed_libraries() {
  local file=$1 depends=$2 sysroot=$3 packaged=${4:-} soname library soversion provider
  while read -r soname; do
    if [[ -n "$packaged" ]] && grep -qxF "$soname" <<<"$packaged"; then
      continue
    fi
    library=${soname%%.so*}
    soversion=${soname#*.so.}
    provider=$(awk -v library="$library" -v soversion="$soversion" \
      '$1 == library && $2 == soversion { print $3; exit }' "$sysroot/.kestrum-shlibs")
    [[ -n "$provider" ]] || fail "$file needs $soname, which neither the package nor a package of the sysroot provides"
    [[ ", $depends," == *", $provider "* || ", $depends," == *", $provider,"* ]] ||
      fail "$file needs $soname from $provider, which the package does not depend on"
  done < <(aarch64-linux-gnu-readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
}
