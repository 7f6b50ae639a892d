#!/usr/bin/env bash
# The release's installer, installed as a user would under Wine: the files and registry values it
# makes, Settings saving in the installed folder, the show playing from it, an upgrade keeping the
# user's choice, an uninstall that leaves nothing behind and leaves another chosen saver alone.
#   install_msi.sh <torva.scr> <resources> <screenshots> <release directory>
release=$4
# The package itself carries no code and installs under 64-bit Wine everywhere; only running the
# installed 32-bit program needs a machine that runs 32-bit programs.
no_32bit=${TORVA_WINE_SKIP:-}
unset TORVA_WINE_SKIP
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

version=$(sed -n 's/^#define TORVA_VERSION_STRING "\(.*\)"$/\1/p' "$(dirname "$e2e_scr")/generated/version.h")
msi=$release/torva-$version.msi
[ -f "$msi" ] || e2e_skip "no $msi: build the release first (tools/release.sh)"
(cd "$release" && sha256sum --quiet -c SHA256SUMS) || e2e_fail "SHA256SUMS does not match the release"
zip_files=$(unzip -Z1 "$release/torva-$version-win32.zip" | sort | tr '\n' ' ')
[ "$zip_files" = "README.txt torva.mpg torva.scr torva.txt " ] || e2e_fail "the zip holds: $zip_files"

# An older package of the same program, to upgrade from.
IFS=. read -r major minor patch <<<"$version"
if [ "$patch" -gt 0 ]; then previous=$major.$minor.$((patch - 1))
elif [ "$minor" -gt 0 ]; then previous=$major.$((minor - 1)).0
else previous=$((major - 1)).0.0; fi
"$(dirname "${BASH_SOURCE[0]}")/../../tools/release.sh" --no-build --version "$previous" --out "$e2e_work/previous" >/dev/null
old_msi=$e2e_work/previous/torva-$previous.msi

wine() { "$wine64" "$@" </dev/null 2>/dev/null; }
msiexec() {
  local status=0
  wine msiexec "$1" "$(winepath_w "$2")" /qn || status=$?
  [ $status = 0 ] || e2e_fail "msiexec $1 $(basename "$2") exited $status"
}
winepath_w() { echo "Z:${1//\//\\}"; }
reg_value() { wine reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
sound_file() { printf 'Sound Config file for torva screensaver\r\n%s\r\n' "$1"; }

profile=$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')
folder="$profile\\Programs\\Torva"
folder_unix=$("$wine64" winepath -u "$folder" 2>/dev/null)

# Everything a package could leave behind: the files of drive C:, the user's registry and the
# machine's software registry, without what Wine keeps there of its own session.
snapshot() {
  local name=$1
  # The installer service's own cache folders, which its first use creates, are the system's.
  (cd "$WINEPREFIX/drive_c" && find . -path ./windows/temp -prune -o -path ./users/*/Temp -prune -o \
     ! -path ./windows/Installer ! -path './users/*/AppData/Roaming/Microsoft/Installer' -print |
     sort) >"$e2e_work/$name.files"
  local hive
  for hive in HKEY_CURRENT_USER 'HKEY_LOCAL_MACHINE\Software'; do
    wine regedit /E "$(winepath_w "$e2e_work/$name.reg")" "$hive"
    iconv -f UTF-16 -t UTF-8 "$e2e_work/$name.reg" | tr -d '\r' |
      awk '/^\[/ { wine = index($0, "[HKEY_CURRENT_USER\\Software\\Wine") == 1 } !wine' >>"$e2e_work/$name.keys"
  done
}
# A run that failed half-way may have left a Torva installed: start from none.
for product in $(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:32 |
                 awk -F'\\' '/^HKEY/ { key = $NF } /DisplayName.*Torva/ { print key }' | tr -d '\r'); do
  wine msiexec /x "$product" /qn || true
done
snapshot before

# Install: the three files, and Torva as this user's screen saver.
msiexec /i "$old_msi"
for file in torva.scr torva.mpg torva.txt; do
  [ -f "$folder_unix/$file" ] || e2e_fail "no $file in $folder"
done
[ "$(cat "$folder_unix/torva.txt")" = "$(sound_file 0)" ] || e2e_fail "the installed torva.txt is not sound off"
saver=$(reg_value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE)
[ "$(reg_value 'HKCU\Control Panel\Desktop' ScreenSaveActive)" = 1 ] || e2e_fail "ScreenSaveActive is not 1"
case $saver in *" "*|"") e2e_fail "SCRNSAVE.EXE is '$saver'" ;; esac
[ "$("$wine64" winepath -u "$saver" 2>/dev/null)" -ef "$folder_unix/torva.scr" ] ||
  e2e_fail "SCRNSAVE.EXE '$saver' is not the installed torva.scr"
e2e_note "installed $previous: $saver"

if [ -z "$no_32bit" ]; then
  # Settings from the installed folder, by keyboard: OK has the focus; Tab goes to the chosen option,
  # Up chooses "Sound On", Tab goes back to OK and Space presses it.
  dir=$(mktemp -d "$e2e_work/run.XXXXXX")
  e2e_start "$dir" "$folder\\torva.scr" /c
  e2e_wait_window "Torva Video Screensaver" 30 >/dev/null
  sleep 1
  for key in Tab Up Tab space; do e2e_press_key $key; sleep 0.3; done
  code=$(e2e_wait_exit "$dir" 10) || e2e_fail "the settings dialog did not end on OK"
  [ "$code" = 0 ] || e2e_fail "the settings dialog ended with exit code $code"
  [ "$(cat "$folder_unix/torva.txt")" = "$(sound_file 1)" ] ||
    e2e_fail "OK did not write sound on into the installed torva.txt: $(od -c "$folder_unix/torva.txt")"
  e2e_note "settings saved in the installed folder"
else
  sound_file 1 >"$folder_unix/torva.txt"
fi

# The upgrade keeps the user's choice, and its program is the one installed.
msiexec /i "$msi"
[ "$(cat "$folder_unix/torva.txt")" = "$(sound_file 1)" ] || e2e_fail "the upgrade to $version reset the setting"
cmp -s "$folder_unix/torva.scr" "$e2e_scr" || e2e_fail "the upgrade did not install this build's torva.scr"
products=$(wine reg query 'HKCU\Software\Microsoft\Installer\Products' /s | grep -c 'ProductName.*Torva')
[ "$products" = 1 ] || e2e_fail "$products Torva products registered after the upgrade"
e2e_note "upgraded $previous to $version, sound still on"

if [ -z "$no_32bit" ]; then
  # The show from the installed folder, as the system starts it, ended by two keys.
  dir=$(mktemp -d "$e2e_work/run.XXXXXX")
  e2e_start "$dir" "$saver" /s
  seen=$(e2e_wait_window Form1 30)
  e2e_sleep_until "$seen" 4
  shot=$(e2e_shot install-show)
  read -r w h _ _ < <(e2e_bbox "$shot")
  [ "$w" -ge $((e2e_screen_w * 9 / 10)) ] && [ "$h" -ge $((e2e_screen_h * 9 / 10)) ] ||
    e2e_fail "the installed show does not fill the screen ($w x $h): $shot"
  e2e_end_with_keys "$dir"
  e2e_note "the installed show played ($shot) and ended on two keys"
fi

# Another saver chosen since: uninstalling Torva leaves that choice alone.
wine reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null
msiexec /x "$msi"
[ "$(reg_value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] ||
  e2e_fail "uninstalling Torva changed another chosen saver"
wine reg delete 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /f >/dev/null
wine reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveActive /f >/dev/null

# Installed again and removed while Torva is the saver: the package leaves nothing behind, not a
# file or key of its own since the first install, and nothing at all since this install (running
# the program makes the system keep some settings of its own).
snapshot reinstall
msiexec /i "$msi"
msiexec /x "$msi"
snapshot after
left_behind() {
  diff "$e2e_work/$1.$3" "$e2e_work/$2.$3" >"$e2e_work/left" ||
    e2e_fail "left behind ($3): $(grep '^>' "$e2e_work/left" | head -n 20)"
}
for list in files keys; do
  grep -i torva "$e2e_work/before.$list" >"$e2e_work/before-torva.$list" || true
  grep -i torva "$e2e_work/after.$list" >"$e2e_work/after-torva.$list" || true
  left_behind before-torva after-torva $list
  left_behind reinstall after $list
done
e2e_note "uninstalled: the $(wc -l <"$e2e_work/after.files") files and $(grep -c '^\[' "$e2e_work/after.keys") keys are as before the install"

[ -z "$no_32bit" ] || e2e_skip "installing, upgrading and removing passed; running the installed program was skipped: $no_32bit"
