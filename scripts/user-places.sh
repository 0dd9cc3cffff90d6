# shellcheck shell=bash disable=SC2034
# Sourced by install-user.sh and uninstall-user.sh: where a user install lives.
sv_name=sintonet-valdren
sv_tool_name=sintonet-valdren-emisoras
sv_icon_sizes=(16 22 24 32 48 64 128 256)
sv_manifest_name=.install-user-made

# A relative or empty XDG_DATA_HOME is to be ignored.
if [[ ${XDG_DATA_HOME:-} == /* ]]; then
  sv_data=$XDG_DATA_HOME
else
  if [ -z "${HOME:-}" ]; then
    echo "${0##*/}: neither HOME nor XDG_DATA_HOME is set" >&2
    exit 1
  fi
  sv_data=$HOME/.local/share
fi
sv_data=${sv_data%/}
sv_folder=$sv_data/$sv_name
sv_applications=$sv_data/applications
sv_desktop_file=$sv_applications/$sv_name.desktop
sv_hicolor=$sv_data/icons/hicolor
# The station tool is run from a terminal: a link on the user's PATH. Without a home there
# is no such place, and no link.
sv_bin=
if [ -n "${HOME:-}" ]; then
  sv_bin=${HOME%/}/.local/bin
fi

# Refreshes the caches this home already has; creates none (a home without
# them is read directly, and a cache made here would be left to go stale).
sv_refresh_caches() {
  if [ -d "$sv_hicolor" ]; then
    # Icon themes notice new icons by the theme folder's time.
    touch "$sv_hicolor"
    if [ -f "$sv_hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
      gtk-update-icon-cache -q -f -t "$sv_hicolor" || true
    fi
  fi
  if [ -f "$sv_applications/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$sv_applications" || true
  fi
}
