# How this machine runs 32-bit Windows programs under wine, for the stages that run them. Sourced
# after tools/lib/apt.sh, which installed (or failed to install) wine32:i386.
#
#   wine32_find_way   sets wine32_way to "native", "qemu" or "none", and wine32_why to the reason
#                     for "none"; prints how it finds out
#   wine32_undo       removes what wine32_find_way set up on the machine; call it on exit
#
# wine runs a 32-bit Windows program with its i386 loader, an i386 Linux program, and so only where
# the machine runs those: natively where the kernel has IA-32 emulation, else through qemu-i386.
# Debian's qemu-user-binfmt registers no i386 entry on amd64 machines, so wine32_find_way registers
# the static qemu-i386 of qemu-user-static with binfmt_misc itself (mounting binfmt_misc first
# where it is not), under a name of its own, with the ELF header pattern of i386 programs and the
# F flag, so that it serves wine's child processes too. wine32_undo removes that entry and
# unmounts what it mounted, and nothing else: an entry made by anyone else is used, never changed.

wine32_loader=/usr/lib/wine/wine
wine32_binfmt=/proc/sys/fs/binfmt_misc
wine32_entry=brevlet-qemu-i386
wine32_way=
wine32_why=
wine32_registered=false
wine32_mounted=false

# The enabled binfmt_misc entries that run i386 programs through qemu, one name a line.
wine32_qemu_entries() {
  local entry
  for entry in "$wine32_binfmt"/*; do
    [[ -f "$entry" && "${entry##*/}" != register && "${entry##*/}" != status ]] || continue
    if head -n1 "$entry" | grep -qx enabled && grep -q '^interpreter .*qemu-i386' "$entry"; then
      echo "${entry##*/}"
    fi
  done
}

wine32_find_way() {
  local qemu=/usr/bin/qemu-i386-static entries
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  [[ -z "$wine32_way" ]] || return 0
  wine32_way=none
  # Without wine32:i386 there is nothing to run, whatever the kernel can do.
  if ! apt_installed wine32:i386 || [[ ! -x "$wine32_loader" ]]; then
    wine32_why="32-bit wine (package wine32:i386) is not installed"
    if [[ -n "${apt_unavailable[wine32:i386]-}" ]]; then
      wine32_why+=": it could not be installed; apt said:"$'\n'"${apt_unavailable[wine32:i386]}"
    elif ! dpkg --print-foreign-architectures | grep -qx i386; then
      wine32_why+=": Debian's i386 architecture is not added (tools/check-windows adds it)"
    fi
    return 0
  fi
  if "$wine32_loader" --version >/dev/null 2>&1; then
    entries=$(wine32_qemu_entries 2>/dev/null | paste -sd' ')
    wine32_way=native
    if [[ -n "$entries" ]]; then
      wine32_way=qemu
      echo "i386 programs run through qemu here, registered with binfmt_misc before this" \
        "stage as: $entries (left as it is)"
    fi
    return 0
  fi
  echo "32-bit wine is installed, but the kernel runs no i386 programs here;" \
    "trying qemu-i386 through binfmt_misc"
  apt_install -- qemu-user-static
  if [[ -n "${apt_unavailable[qemu-user-static]-}" ]]; then
    wine32_why="the kernel runs no i386 programs, and qemu-user-static, which could, could not"
    wine32_why+=" be installed; apt said:"$'\n'"${apt_unavailable[qemu-user-static]}"
    return 0
  fi
  if [[ ! -f "$wine32_binfmt/register" ]]; then
    if mount -t binfmt_misc binfmt_misc "$wine32_binfmt"; then
      wine32_mounted=true
      echo "mounted binfmt_misc on $wine32_binfmt (unmounted again at the end)"
    fi
  fi
  if [[ ! -f "$wine32_binfmt/register" ]]; then
    wine32_why="the kernel runs no i386 programs, and binfmt_misc, through which qemu-i386 could,"
    wine32_why+=" cannot be mounted"
    return 0
  fi
  if [[ -e "$wine32_binfmt/$wine32_entry" ]]; then
    echo "the binfmt_misc entry $wine32_entry is there already, made before this stage:" \
      "used, and left as it is"
  elif printf '%s' ":$wine32_entry:M::$magic:$mask:$qemu:F" >"$wine32_binfmt/register"; then
    wine32_registered=true
    echo "registered $qemu with binfmt_misc as $wine32_entry (removed again at the end)"
  fi
  if "$wine32_loader" --version >/dev/null 2>&1; then
    wine32_way=qemu
  else
    wine32_why="the kernel runs no i386 programs, and neither does qemu-i386 through binfmt_misc"
  fi
}

wine32_undo() {
  if $wine32_registered; then
    if echo -1 >"$wine32_binfmt/$wine32_entry"; then
      echo "removed the binfmt_misc entry $wine32_entry that this stage registered"
    else
      echo "!!! could not remove the binfmt_misc entry $wine32_entry that this stage registered" >&2
    fi
    wine32_registered=false
  fi
  if $wine32_mounted; then
    if umount "$wine32_binfmt"; then
      echo "unmounted binfmt_misc from $wine32_binfmt, which this stage mounted"
    else
      echo "!!! could not unmount binfmt_misc from $wine32_binfmt, which this stage mounted" >&2
    fi
    wine32_mounted=false
  fi
}
