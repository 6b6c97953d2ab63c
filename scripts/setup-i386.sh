#!/usr/bin/env bash
# Prepares what the shipping (i686) files need to run here: the kernel of
# these machines does not run 32-bit programs, so they go through QEMU's
# user-mode emulator, handed to it by binfmt_misc, inside an unpacked i386
# Debian tree with Wine in it. The host's own packages stay as they are.
#
# Done once and cached in $QV_I386_CACHE (default /var/cache/kestrix-i386);
# every run re-checks that a 32-bit program really starts and says what is
# wrong when it does not. Prints nothing when all is in place.
set -euo pipefail

cache=${QV_I386_CACHE:-/var/cache/kestrix-i386}
tree=$cache/tree
sources=/etc/apt/sources.list.d/debian.sources
qemu=/usr/bin/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
# The usual i386 ELF magic and mask (executables and shared objects).
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
tree_packages=wine32,libwine,dash,coreutils,bash,base-files,base-passwd,fontconfig-config,fonts-wine

fail() {
  echo "setup-i386: $*" >&2
  echo "setup-i386: the shipping files cannot run here until this is fixed" >&2
  exit 1
}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The first mirror of the machine's Debian entry; never one of our own.
mirror() {
  awk '/^URIs:/ { print $2; exit }' "$sources" 2>/dev/null
}

# Bookworm's own QEMU is far too slow for Wine; the backported one is not.
install_qemu() {
  if [ -x "$qemu" ] && "$qemu" --version | grep -qE 'version ([1-9][0-9])\.'; then
    return
  fi
  local uri
  uri=$(mirror)
  [ -n "$uri" ] || fail "no mirror found in $sources"
  local list=/etc/apt/sources.list.d/kestrix-backports.sources
  if [ ! -f "$list" ]; then
    printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$uri" | $sudo tee "$list" >/dev/null
  fi
  echo "setup-i386: installing QEMU from bookworm-backports"
  $sudo apt-get update -qq || fail "apt-get update failed"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    -t bookworm-backports qemu-user >/dev/null || fail "could not install qemu-user from bookworm-backports"
  [ -x "$qemu" ] || fail "$qemu is missing after installing qemu-user"
}

# Flag F opens the emulator when the entry is registered, so programs inside
# the chroot reach it too; that needs a static emulator.
register_binfmt() {
  file -L "$qemu" | grep -qE 'static(-pie)? linked|statically linked' || fail "$qemu is not static"
  if [ ! -e "$binfmt/register" ]; then
    $sudo mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
      fail "cannot mount binfmt_misc at $binfmt (needs root and a kernel with binfmt_misc)"
  fi
  if [ -e "$entry" ]; then
    if grep -q "^interpreter $qemu\$" "$entry" && grep -q '^flags:.*F' "$entry" &&
       grep -q '^enabled' "$entry"; then
      return
    fi
    echo -1 | $sudo tee "$entry" >/dev/null
  fi
  printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$qemu" | $sudo tee "$binfmt/register" >/dev/null ||
    fail "binfmt_misc refused the i386 entry"
}

# No package scripts run in an extracted tree: redo the ones Wine needs.
finish_tree() {
  local dir=$1
  cp "$dir/usr/share/base-passwd/passwd.master" "$dir/etc/passwd"
  cp "$dir/usr/share/base-passwd/group.master" "$dir/etc/group"
  ldconfig -r "$dir"
  # Wine loads zlib1.dll as one of its own: the file must carry the marker
  # its builtin DLLs have at offset 64.
  local in out
  in=$(ls "$dir"/usr/i686-w64-mingw32/lib/zlib*.dll)
  out=$dir/usr/lib/i386-linux-gnu/wine/i386-windows/$(basename "$in")
  { head -c 64 "$in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$in"; } >"$out"
  mkdir -p "$dir/work" "$dir/tmp"
}

make_tree() {
  [ -f "$tree/.ready" ] && return
  command -v mmdebstrap >/dev/null || {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null ||
      fail "could not install mmdebstrap"
  }
  local uri
  uri=$(mirror)
  [ -n "$uri" ] || fail "no mirror found in $sources"
  echo "setup-i386: unpacking the i386 tree with Wine into $tree"
  $sudo mkdir -p "$cache"
  local work=$cache/tree.new
  $sudo rm -rf "$work"
  $sudo mmdebstrap --quiet --variant=extract --arch=i386 --include="$tree_packages" \
    bookworm "$work" "$uri" >/dev/null || fail "mmdebstrap could not unpack the i386 tree"
  $sudo bash -c "$(declare -f finish_tree); finish_tree '$work'" || fail "could not finish the i386 tree"
  $sudo touch "$work/.ready"
  $sudo rm -rf "$tree"
  $sudo mv "$work" "$tree"
}

# A 32-bit program of the tree must start, the way the harness starts them.
check() {
  local out
  out=$($sudo unshare --mount chroot "$tree" /bin/dash -c 'echo i386-ok' 2>&1) ||
    fail "a 32-bit program does not start in $tree: $out"
  [ "$out" = i386-ok ] || fail "unexpected answer from the i386 tree: $out"
  [ -x "$tree/usr/lib/wine/wine" ] || fail "the i386 tree has no Wine (remove $tree to unpack it again)"
}

command -v file >/dev/null || DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq file >/dev/null
install_qemu
register_binfmt
make_tree
check
