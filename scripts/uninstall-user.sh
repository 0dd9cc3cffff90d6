#!/usr/bin/env bash
# Removes what scripts/install-user.sh put in the user's home: the launcher,
# the icons and the installed program folder, settings file and added skins
# included, and the directories the install made that are empty again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/user-places.sh
source "$root/scripts/user-places.sh"

rm -f "$sv_desktop_file"
for size in "${sv_icon_sizes[@]}"; do
  rm -f "$sv_hicolor/${size}x${size}/apps/$sv_name.png"
done

# The station tool's link, only while it still points into the installed folder.
if [ -n "$sv_bin" ] && [ -L "$sv_bin/$sv_tool_name" ] &&
  [ "$(readlink "$sv_bin/$sv_tool_name")" = "$sv_folder/$sv_tool_name" ]; then
  rm -f "$sv_bin/$sv_tool_name"
fi

made=()
if [ -f "$sv_folder/$sv_manifest_name" ]; then
  mapfile -t made <"$sv_folder/$sv_manifest_name"
fi
rm -rf "$sv_folder"

# Deepest first; a directory something else now uses stays.
if [ "${#made[@]}" -gt 0 ]; then
  while IFS= read -r dir; do
    if [ -n "$dir" ] && [ -d "$dir" ]; then
      rmdir "$dir" 2>/dev/null || true
    fi
  done < <(printf '%s\n' "${made[@]}" | LC_ALL=C sort -r)
fi

sv_refresh_caches
echo "Removed $sv_folder and its launcher"
