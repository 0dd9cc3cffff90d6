#!/usr/bin/env bash
# Installs the program for the current user: the program folder in a writable
# place in the home (the program writes its settings file beside itself), a
# launcher in the desktop's application menu, and the icon in its sizes.
# Run again to update: the settings file and any added skins are kept.
#
# SV_PROGRAM_FOLDER: an already built program folder to install; without it
# the program is built first with scripts/build.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/user-places.sh
source "$root/scripts/user-places.sh"

if [ -n "${SV_PROGRAM_FOLDER:-}" ]; then
  src=$SV_PROGRAM_FOLDER
else
  bash "$root/scripts/build.sh"
  src=$root/build/program
fi
if [ ! -x "$src/$sv_name" ]; then
  echo "install-user: no program '$sv_name' in $src" >&2
  exit 1
fi
src=$(cd "$src" && pwd)

# Paths go into the launcher's command line: control characters cannot.
if [[ $sv_folder == *[[:cntrl:]]* ]]; then
  echo "install-user: cannot install into a path with control characters: $sv_folder" >&2
  exit 1
fi

# Directories this install makes are listed, so that uninstalling removes them
# again when nothing else has come to live in them.
created=()
make_dir() {
  local dir=$1 missing=()
  while [ ! -d "$dir" ]; do
    missing+=("$dir")
    dir=$(dirname "$dir")
  done
  if [ "${#missing[@]}" -eq 0 ]; then return; fi
  mkdir -p "$1"
  created+=("${missing[@]}")
}

make_dir "$sv_folder"
if [ "$src" != "$sv_folder" ]; then
  shopt -s nullglob dotglob
  for entry in "$src"/*; do
    case ${entry##*/} in
      # The user's settings stay the user's, and a build folder's are not theirs.
      "$sv_name.ini" | "$sv_manifest_name") continue ;;
      # What the station tool leaves beside the catalogue is the user's.
      RadioStore.mdb.bak | RadioStore.mdb.nuevo | RadioStore.mdb.lock) continue ;;
      # A catalogue the user changed with the station tool (it keeps a .bak) stays theirs.
      RadioStore.mdb)
        if [ -e "$sv_folder/RadioStore.mdb.bak" ] && [ -e "$sv_folder/RadioStore.mdb" ]; then
          echo "install-user: keeping the stations you changed in $sv_folder/RadioStore.mdb"
          continue
        fi
        ;;
    esac
    # Removing first lets the files of a running copy be replaced.
    cp -R --preserve=mode,timestamps --remove-destination "$entry" "$sv_folder/"
  done
  shopt -u nullglob dotglob
fi

# The Exec key's own quoting, then the escapes of the file's string values.
exec_value() {
  local p=$1
  if [[ $p =~ ^[A-Za-z0-9/._+-]+$ ]]; then
    printf '%s' "$p"
    return
  fi
  p=${p//\\/\\\\}
  p=${p//\"/\\\"}
  p=${p//\`/\\\`}
  p=${p//\$/\\\$}
  p="\"$p\""
  p=${p//\\/\\\\}
  p=${p//%/%%}
  printf '%s' "$p"
}
program=$sv_folder/$sv_name
entry_text=$(<"$root/app/desktop/$sv_name.desktop.in")
entry_text=${entry_text//@EXEC@/"$(exec_value "$program")"}
entry_text=${entry_text//@TRYEXEC@/"${program//\\/\\\\}"}
make_dir "$sv_applications"
tmp=$(mktemp "$sv_applications/.$sv_name.XXXXXX")
printf '%s\n' "$entry_text" >"$tmp"
chmod 644 "$tmp"
mv -f "$tmp" "$sv_desktop_file"

for size in "${sv_icon_sizes[@]}"; do
  dir=$sv_hicolor/${size}x${size}/apps
  make_dir "$dir"
  install -m 644 "$root/assets/window/icons/icon-$size.png" "$dir/$sv_name.png"
done

# The station tool on the PATH, when the program folder has it. Only a link of ours is
# replaced: a file of that name the user put there stays.
tool=$sv_folder/$sv_tool_name
if [ -x "$tool" ] && [ -n "$sv_bin" ]; then
  link=$sv_bin/$sv_tool_name
  if [ -e "$link" ] && [ ! -L "$link" ]; then
    echo "install-user: $link exists and is not a link; not replacing it" >&2
  else
    make_dir "$sv_bin"
    ln -sfn "$tool" "$link"
  fi
  case ":${PATH:-}:" in
    *":$sv_bin:"*) ;;
    *) echo "Add $sv_bin to your PATH to run $sv_tool_name by its name." ;;
  esac
fi

# Earlier installs' list first: what they made is still this install's.
manifest=$sv_folder/$sv_manifest_name
{
  if [ -f "$manifest" ]; then cat "$manifest"; fi
  if [ "${#created[@]}" -gt 0 ]; then printf '%s\n' "${created[@]}"; fi
} | LC_ALL=C sort -u >"$manifest.new"
mv -f "$manifest.new" "$manifest"

sv_refresh_caches
echo "Installed in $sv_folder; launcher $sv_desktop_file"
