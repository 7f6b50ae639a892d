#!/usr/bin/env bash
# The release's installer for one user, installed as a user would under Wine: the files and registry
# values it makes, Settings saving in the installed folder, the show playing from it, an upgrade from
# a genuinely older build that keeps the user's choice and installs this program, a rebuild of the
# same version replacing the installed one, an older version refused, SETSAVER and SOUND, and
# uninstalls that leave nothing behind and leave another chosen saver alone.
#   install_msi.sh <torva.scr> <resources> <screenshots> <release directory>
release=$4
# The package itself carries no code and installs under 64-bit Wine everywhere; only running the
# installed 32-bit program needs a machine that runs 32-bit programs.
no_32bit=${TORVA_WINE_SKIP:-}
unset TORVA_WINE_SKIP
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

version=$(e2e_version)
msi=$release/torva-$version.msi
[ -f "$msi" ] || e2e_skip "no $msi: build the release first (tools/release.sh)"
(cd "$release" && sha256sum --quiet -c SHA256SUMS) || e2e_fail "SHA256SUMS does not match the release"
zip_files=$(unzip -Z1 "$release/torva-$version-win32.zip" | sort | tr '\n' ' ')
[ "$zip_files" = "README.txt torva.mpg torva.scr torva.txt " ] || e2e_fail "the zip holds: $zip_files"

# The program is a versioned file in the package, with this build's version and no hash.
file_row=$(msiinfo export "$msi" File | awk -F'\t' '$1 == "TorvaScr"')
[ "$(cut -f5 <<<"$file_row")" = "$version.0" ] || e2e_fail "the File row of torva.scr: $file_row"
! msiinfo export "$msi" MsiFileHash | grep -q '^TorvaScr' || e2e_fail "torva.scr has a hash row"

# Validation rules that Windows Installer documents and Wine does not enforce, for both scopes, read
# from the tables: no action marked to run elevated (2048) and no HKLM row (root 2) in a package
# that installs per user (ICE105); a registry value refers to no component and to a file of its own
# component only (ICE69); one component per installed file: no two install a file of the same name
# into the same folder (ICE30); in folders that exist per user only, no file (ICE91) and only
# components keyed by an HKCU value (ICE38).
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
table CustomAction | awk -F'\t' 'int($2 / 2048) % 2' | grep . && e2e_fail "a custom action is marked to run elevated"
table Registry | awk -F'\t' '$2 == 2' | grep . && e2e_fail "a registry row names HKLM"
table Registry | grep '\[\$' && e2e_fail "a registry value refers to a component"
table Registry | awk -F'\t' '{ v = $5; while (match(v, /\[[#!][^]]*\]/)) { print $6, substr(v, RSTART + 2, RLENGTH - 3); v = substr(v, RSTART + RLENGTH) } }' |
  while read -r component file; do
    [ "$(table File | awk -F'\t' -v f="$file" '$1 == f { print $2 }')" = "$component" ] || echo "$component: $file"
  done | grep . && e2e_fail "a registry value refers to a file of another component"
table File | awk -F'\t' '{ name = tolower($3); sub(/.*\|/, "", name); print $2, name }' | while read -r component name; do
  echo "$(table Component | awk -F'\t' -v c="$component" '$1 == c { print $3 }')/$name"
done | sort | uniq -d | grep . && e2e_fail "two components install the same file"
# Value names are fixed, and no public property (all capitals) steers a key.
table Registry | awk -F'\t' '$4 ~ /\[/ || $3 ~ /\[[A-Z0-9_.]+\]/' | grep . && e2e_fail "a registry name can be steered"
per_user_folders=$(table Directory | awk -F'\t' '
  BEGIN { n = split("AppDataFolder FavoritesFolder NetHoodFolder PersonalFolder PrintHoodFolder RecentFolder " \
                    "SendToFolder MyPicturesFolder LocalAppDataFolder", roots, " "); for (i = 1; i <= n; i++) user[roots[i]] = 1 }
  { parent[$1] = $2 }
  END { for (d in parent) { p = d; while (p != "" && !(p in user)) p = parent[p]; if (p != "") print d } }')
for folder in $per_user_folders; do
  table Component | awk -F'\t' -v f="$folder" '$3 == f { print $1, $4, $6 }' | while read -r component attributes key; do
    table File | awk -F'\t' -v c="$component" '$2 == c' | grep . && e2e_fail "a file in the per-user folder $folder"
    [ $((attributes & 4)) = 4 ] && table Registry | awk -F'\t' -v k="$key" '$1 == k && ($2 == 1 || $2 == -1)' | grep -q . ||
      e2e_fail "$component in the per-user folder $folder is not keyed by an HKCU value"
  done
done
e2e_note "tables: no elevated action, no HKLM row, registry values refer to their own component's files only, one component per file, fixed value names, per-user folders $(echo $per_user_folders) hold no file and only HKCU-keyed components"

# An older build of this tree, and this build packaged once more (a new product of the same version).
old_msi=$(e2e_older_package "$e2e_work/previous")
previous=$(basename "$old_msi" .msi | sed 's/^torva-//')
"$torva_root/tools/release.sh" --no-build --out "$e2e_work/again" >/dev/null
again_msi=$e2e_work/again/torva-$version.msi

wine() { "$wine64" "$@" </dev/null 2>/dev/null; }
winepath_w() { echo "Z:${1//\//\\}"; }
msiexec() {
  local status=0
  wine msiexec "$1" "$(winepath_w "$2")" "${@:3}" /qn || status=$?
  [ $status = 0 ] || e2e_fail "msiexec $1 $(basename "$2") ${*:3} exited $status"
}
reg_value() { wine reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
sound_file() { printf 'Sound Config file for torva screensaver\r\n%s\r\n' "$1"; }
desktop='HKCU\Control Panel\Desktop'
# "product-code version", one line per Torva product installed.
products() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:32 | tr -d '\r' |
    awk -F'\\' '/^HKEY/ { key = $NF } /DisplayName.*Torva/ { torva[key] = 1 }
                /DisplayVersion/ { version[key] = $0; sub(/.*REG_SZ */, "", version[key]) }
                END { for (k in torva) print k, version[k] }'
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }

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
# A run that failed half-way may have left a Torva installed, or a saver chosen: start from none.
while read -r product _; do
  [ -n "$product" ] && { wine msiexec /x "$product" /qn || true; }
done < <(products)
wine reg delete "$desktop" /v SCRNSAVE.EXE /f || true
wine reg delete "$desktop" /v ScreenSaveActive /f || true
snapshot before

# Install of the older build: the three files, and Torva as this user's screen saver.
msiexec /i "$old_msi"
for file in torva.scr torva.mpg torva.txt; do
  [ -f "$folder_unix/$file" ] || e2e_fail "no $file in $folder"
done
[ "$(cat "$folder_unix/torva.txt")" = "$(sound_file 0)" ] || e2e_fail "the installed torva.txt is not sound off"
saver=$(reg_value "$desktop" SCRNSAVE.EXE)
[ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || e2e_fail "ScreenSaveActive is not 1"
[ -n "$saver" ] && [ "$("$wine64" winepath -u "$saver" 2>/dev/null)" -ef "$folder_unix/torva.scr" ] ||
  e2e_fail "SCRNSAVE.EXE '$saver' is not the installed torva.scr"
cmp -s "$folder_unix/torva.scr" "$e2e_scr" && e2e_fail "the older package installed this build's torva.scr"
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

# The upgrade keeps the user's choice, and its program is this build's, byte for byte: the older
# torva.scr has a lower version, so the file versioning rules replace it.
msiexec /i "$msi"
[ "$(cat "$folder_unix/torva.txt")" = "$(sound_file 1)" ] || e2e_fail "the upgrade to $version reset the setting"
cmp -s "$folder_unix/torva.scr" "$e2e_scr" || e2e_fail "the upgrade did not install this build's torva.scr"
installed=$(products)
[ "$installed" = "$(product_code "$msi") $version" ] || e2e_fail "after the upgrade: $installed"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$saver" ] || e2e_fail "the upgrade changed SCRNSAVE.EXE"
e2e_note "upgraded $previous to $version: this build's torva.scr, sound still on, one product"

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
other='C:\windows\system32\other.scr'
wine reg add "$desktop" /v SCRNSAVE.EXE /d "$other" /f >/dev/null
msiexec /x "$msi"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$other" ] || e2e_fail "uninstalling Torva changed another chosen saver"
[ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || e2e_fail "uninstalling Torva changed ScreenSaveActive"
wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null
wine reg delete "$desktop" /v ScreenSaveActive /f >/dev/null

# From here on the package must leave nothing behind, not a file or key of its own since the first
# install, and nothing at all since this point (running the program makes the system keep some
# settings of its own). Under Wine each upgrade drops the upgrade code's registration that the old
# and the new product share, so every check that needs it starts from a first install.
snapshot reinstall
# What the package looks up for itself, given on the command line, steers nothing: a first install
# chooses Torva as the saver and installs the setting sound off, as without them.
msiexec /i "$msi" 'CURRENTSAVER=C:\windows\system32\other.scr' 'DesktopKey=Software\Torva\Steered' \
  WIX_UPGRADE_DETECTED=1 WIX_DOWNGRADE_DETECTED=1 "USERPRODUCT=$(product_code "$old_msi")" USERVERSION=1 \
  "MACHINEPRODUCT=$(product_code "$old_msi")" MACHINEVERSION=1 "MACHINEFOLDER=$folder\\" \
  "PRODUCTFOLDER=$folder\\" 'USERSAVERSHORT=C:\windows\system32\other.scr'
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$saver" ] || e2e_fail "the command line kept Torva from being the saver"
[ "$(cat "$folder_unix/torva.txt")" = "$(sound_file 0)" ] || e2e_fail "the command line changed the installed setting"
torva_scr_before=$(sha256sum <"$folder_unix/torva.scr")

# An older version over this one is refused and changes nothing.
status=0
wine msiexec /i "$(winepath_w "$old_msi")" /qn || status=$?
[ "$status" = "$e2e_msi_refused" ] || e2e_fail "installing $previous over $version exited $status"
msiinfo export "$old_msi" LaunchCondition | grep -q 'A newer version of Torva is already installed\.' ||
  e2e_fail "the older package lacks the message for this refusal"
[ "$(products)" = "$(product_code "$msi") $version" ] || e2e_fail "after the refused downgrade: $(products)"
[ "$(sha256sum <"$folder_unix/torva.scr")" = "$torva_scr_before" ] || e2e_fail "the refused downgrade changed torva.scr"
e2e_note "$previous over $version: refused (1603), nothing changed"

# A rebuild of the same version, with another saver chosen meanwhile: one product afterwards, the
# rebuild's, the other saver stays, and SOUND=1 leaves the installed setting as it is.
wine reg add "$desktop" /v SCRNSAVE.EXE /d "$other" /f >/dev/null
msiexec /i "$again_msi" SOUND=1
[ "$(products)" = "$(product_code "$again_msi") $version" ] || e2e_fail "after the same-version rebuild: $(products)"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$other" ] || e2e_fail "the upgrade replaced another chosen saver"
[ -f "$folder_unix/torva.scr" ] || e2e_fail "the same-version upgrade removed torva.scr"
[ "$(cat "$folder_unix/torva.txt")" = "$(sound_file 0)" ] || e2e_fail "SOUND=1 on an upgrade changed the setting"
msiexec /x "$again_msi"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$other" ] || e2e_fail "uninstalling Torva changed another chosen saver"
wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null
wine reg delete "$desktop" /v ScreenSaveActive /f >/dev/null
e2e_note "the same version rebuilt replaced the installed one; another saver stayed chosen throughout"

# SETSAVER=0 leaves the saver unset; SOUND=1 installs the setting sound on.
msiexec /i "$msi" SETSAVER=0 SOUND=1
[ -z "$(reg_value "$desktop" SCRNSAVE.EXE)" ] || e2e_fail "SETSAVER=0 made a saver the chosen one"
[ "$(cat "$folder_unix/torva.txt")" = "$(sound_file 1)" ] || e2e_fail "SOUND=1 did not install sound on"
msiexec /x "$msi"
e2e_note "SETSAVER=0 SOUND=1: no saver chosen, sound on"

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
