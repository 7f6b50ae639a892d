#!/usr/bin/env bash
# The release's installer for the whole machine, as an organisation deploys it (ALLUSERS=1), then
# used by a standard user. Wine grants every Windows user administrator rights and root ignores Unix
# permissions, so a Unix user that the test creates runs it all, with a Wine prefix and a sound server
# of its own, and the installed folder is made read-only on the Unix side: it then refuses writes as
# Program Files refuses a standard user's. Checked: where the files go and what changes in the
# profile and registry, the older version refused, an upgrade from an older build, Settings saving
# into the user's own file, the show reading it, and an uninstall that leaves only that file.
#   install_msi_machine.sh <torva.scr> <resources> <screenshots> <release directory>
release=$4
no_32bit=${TORVA_WINE_SKIP:-}
unset TORVA_WINE_SKIP
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

version=$(e2e_version)
msi=$release/torva-$version.msi
[ -f "$msi" ] || e2e_skip "no $msi: build the release first (tools/release.sh)"
[ "$(id -u)" = 0 ] || e2e_skip "the standard user this test runs as can only be created by root"
command -v useradd >/dev/null && command -v setpriv >/dev/null || e2e_skip "no useradd or setpriv"

user=torva-test
id -u "$user" >/dev/null 2>&1 ||
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" ||
  e2e_fail "cannot create the user $user"
# The user's Wine prefix is kept between runs, as the caller's is: its first start takes half a minute.
base=$torva_root/build/wine/standard-user
mkdir -p "$base/prefix" "$base/home"
[ "$(stat -c %U "$base/prefix")" = "$user" ] || chown -R "$user:" "$base"
run=$(mktemp -d /tmp/torva-user.XXXXXX)
mkdir -p "$run/xdg" "$run/packages"
chown -R "$user:" "$run"
chmod 700 "$run/xdg"

user_env=(setpriv --reuid="$user" --regid="$user" --init-groups env -i PATH=/usr/bin:/bin HOME="$base/home"
          WINEPREFIX="$base/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
          DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$run/xdg")
as_user() { "${user_env[@]}" "$@"; }
wine() { as_user "$wine64" "$@" </dev/null 2>/dev/null; }
pulse_pid=
user_session_end() {
  as_user "$wineserver" -k >/dev/null 2>&1 || true
  [ -z "$pulse_pid" ] || { kill "$pulse_pid" 2>/dev/null; wait "$pulse_pid" 2>/dev/null || true; }
  local folder="$base/prefix/drive_c/Program Files (x86)/Torva"
  [ ! -d "$folder" ] || chmod -R u+w "$folder"
  rm -rf "$run"
}
trap 'user_session_end; e2e_session_home; e2e_cleanup' EXIT

# exec: the PID kept is the sound server's own, not that of a shell waiting for it.
(exec "${user_env[@]}" pulseaudio --daemonize=no -n --exit-idle-time=-1 --use-pid-file=no \
   --load=module-native-protocol-unix --load="module-null-sink sink_name=nullsink" >/dev/null 2>&1) &
pulse_pid=$!
if [ ! -f "$base/prefix/.torva-ready" ]; then
  e2e_note "creating the Wine prefix of $user in $base/prefix (about 30 s)"
  wine wineboot -u >/dev/null
  wine regedit /S "Z:${torva_root//\//\\}\\tools\\wine-prefix.reg"
  as_user "$wineserver" -w
  cp /usr/share/wine/fonts/*.ttf "$base/prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  chown -R "$user:" "$base/prefix/drive_c/windows/Fonts"
  as_user touch "$base/prefix/.torva-ready"
fi
tries=0
until as_user pactl info >/dev/null 2>&1; do
  tries=$((tries + 1))
  [ $tries -gt 100 ] && e2e_fail "the sound server of $user did not start"
  sleep 0.1
done
as_user "$wineserver" -p >/dev/null 2>&1 || true
# Right after the prefix was made, a start can fail while the server that made it winds down.
tries=0
until wine cmd /c exit; do
  tries=$((tries + 1))
  [ $tries -gt 10 ] && e2e_fail "Wine does not start as $user"
  sleep 1
done

old_msi=$(e2e_older_package "$e2e_work/previous")
previous=$(basename "$old_msi" .msi | sed 's/^torva-//')
# This build packaged once more: the same version as a product of its own, as a later download is.
"$torva_root/tools/release.sh" --no-build --out "$e2e_work/again" >/dev/null
cp "$msi" "$old_msi" "$run/packages/"
cp "$e2e_work/again/torva-$version.msi" "$run/packages/torva-again.msi"
chmod -R a+rX "$run/packages"
package() { echo "Z:${run//\//\\}\\packages\\torva-$1.msi"; }
msiexec() {
  local status=0
  wine msiexec "$@" /qn || status=$?
  [ $status = 0 ] || e2e_fail "msiexec $* exited $status"
}
reg_value() { wine reg query "$1" /v "$2" "${@:3}" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
sound_file() { printf 'Sound Config file for torva screensaver\r\n%s\r\n' "$1"; }
products() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:32 | tr -d '\r' |
    awk -F'\\' '/^HKEY/ { key = $NF } /DisplayName.*Torva/ { torva[key] = 1 }
                /DisplayVersion/ { version[key] = $0; sub(/.*REG_SZ */, "", version[key]) }
                END { for (k in torva) print k, version[k] }'
}
unix_path() { as_user "$wine64" winepath -u "$1" 2>/dev/null; }

folder='C:\Program Files (x86)\Torva'
folder_unix=$(unix_path "$folder")
appdata=$(wine cmd /c echo %APPDATA% | tr -d '\r')
own_file_unix=$(unix_path "$appdata\\Torva\\torva.txt")

# The files of the user's drive C: and its registry, one "key | line" per value so that a change
# shows with its key; Wine's own session state left out.
snapshot() {
  local name=$1 hive
  (cd "$base/prefix/drive_c" && find . -path ./windows/temp -prune -o -path ./users/*/Temp -prune -o \
     ! -path ./windows/Installer -print | sort) >"$e2e_work/$name.files"
  for hive in HKEY_CURRENT_USER 'HKEY_LOCAL_MACHINE\Software'; do
    wine regedit /E "Z:${run//\//\\}\\export.reg" "$hive"
    iconv -f UTF-16 -t UTF-8 "$run/export.reg" | tr -d '\r' |
      awk '/^\[/ { key = $0; wine = index(key, "[HKEY_CURRENT_USER\\Software\\Wine") == 1 }
           NF && !wine { print key " | " $0 }'
  done | sort >"$e2e_work/$name.keys"
}
added() { comm -13 "$e2e_work/$1" "$e2e_work/$2"; }

# A run that failed half-way may have left a Torva installed, the user's own settings file or a
# saver chosen.
[ ! -d "$folder_unix" ] || chmod -R u+w "$folder_unix"
while read -r product _; do
  [ -n "$product" ] && { wine msiexec /x "$product" /qn || true; }
done < <(products)
rm -rf "$(dirname "$own_file_unix")"
wine reg delete 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /f || true
snapshot before

# For the machine: into Program Files, the Apps entry and the folder in the machine's registry, and
# nothing in any user's profile or HKCU.
msiexec /i "$(package "$version")" ALLUSERS=1
for file in torva.scr torva.mpg torva.txt; do
  [ -f "$folder_unix/$file" ] || e2e_fail "no $file in $folder"
done
[ "$(products)" = "$(msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }') $version" ] ||
  e2e_fail "installed products: $(products)"
snapshot machine
# What the install added, kept beside the screenshots for people to read.
added before.files machine.files >"$e2e_shots/install-machine-files.txt"
added before.keys machine.keys >"$e2e_shots/install-machine-registry.txt"
e2e_note "files added: $(tr '\n' ' ' <"$e2e_shots/install-machine-files.txt")"
e2e_note "registry: $(wc -l <"$e2e_shots/install-machine-registry.txt") values added under $(cut -d' ' -f1 "$e2e_shots/install-machine-registry.txt" | sort -u | wc -l) keys ($e2e_shots/install-machine-registry.txt)"
grep '^\./users/' "$e2e_shots/install-machine-files.txt" && e2e_fail "the machine's install wrote into a user's profile"
grep '^\[HKEY_CURRENT_USER' "$e2e_shots/install-machine-registry.txt" && e2e_fail "the machine's install wrote into HKCU"
[ -z "$(reg_value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE)" ] || e2e_fail "the machine's install chose a saver"
[ "$(reg_value 'HKLM\Software\Torva' Folder /reg:32)" = "$folder\\" ] || e2e_fail "the machine's folder is not recorded"

# An older version is refused for the machine too.
status=0
wine msiexec /i "$(package "$previous")" ALLUSERS=1 /qn || status=$?
[ "$status" = "$e2e_msi_refused" ] || e2e_fail "installing $previous over $version exited $status"
cmp -s "$folder_unix/torva.scr" "$e2e_scr" || e2e_fail "the refused downgrade changed torva.scr"
e2e_note "$previous over $version for the machine: refused (1603)"

msiexec /x "$(package "$version")"
snapshot removed
[ ! -e "$folder_unix" ] || e2e_fail "uninstalling left $folder"
[ -z "$(products)" ] || e2e_fail "uninstalling left the product: $(products)"
diff "$e2e_work/before.files" "$e2e_work/removed.files" >"$e2e_work/left" ||
  e2e_fail "the uninstall left behind files: $(grep '^[<>]' "$e2e_work/left" | head -n 20)"
# The installer service keeps the empty roots of its own registration once it has been used, and
# the 32-bit uninstall list that a prefix without 32-bit Wine does not have until something is
# installed into it (Windows always has it).
added before.keys removed.keys |
  grep -v '^\(\[[^]]*\]\) | \1$' >"$e2e_work/left" && e2e_fail "the uninstall left behind values: $(head -n 20 "$e2e_work/left")"
added before.keys removed.keys | cut -d' ' -f1 |
  grep -iv '\\Installer\(\\\(Features\|Products\|UpgradeCodes\|UserData\|S-1-5-18\|Components\)\)*\]$' |
  grep -iv '\\Microsoft\\Windows\\CurrentVersion\\Uninstall\]$' >"$e2e_work/left" &&
  e2e_fail "the uninstall left behind keys: $(head -n 20 "$e2e_work/left")"
comm -23 "$e2e_work/before.keys" "$e2e_work/removed.keys" | grep . && e2e_fail "the uninstall removed what was there before"
e2e_note "uninstalled: files and registry as before, but for the empty roots the installer service keeps"

# An upgrade from the older build, for the machine.
msiexec /i "$(package "$previous")" ALLUSERS=1
msiexec /i "$(package "$version")" ALLUSERS=1
cmp -s "$folder_unix/torva.scr" "$e2e_scr" || e2e_fail "the upgrade did not install this build's torva.scr"
[ "$(products | wc -l)" = 1 ] && [ "$(products | cut -d' ' -f2)" = "$version" ] || e2e_fail "after the upgrade: $(products)"
e2e_note "upgraded $previous to $version for the machine: this build's torva.scr, one product"

if [ -z "$no_32bit" ]; then
  chmod -R a-w "$folder_unix"
  installed_settings=$(sha256sum <"$folder_unix/torva.txt")
  e2e_as=(as_user)
  # Settings as the standard user: Sound On and OK end at once with 0, no report, and the choice is
  # in the user's own file; the program's folder is untouched.
  dir=$(mktemp -d "$e2e_work/run.XXXXXX")
  e2e_start "$dir" "$folder\\torva.scr" /c
  e2e_wait_window "Torva Video Screensaver" 30 >/dev/null
  sleep 1
  for key in Tab Up Tab space; do e2e_press_key $key; sleep 0.3; done
  code=$(e2e_wait_exit "$dir" 10) || e2e_fail "the settings dialog did not end on OK"
  [ "$code" = 0 ] || e2e_fail "the settings dialog ended with exit code $code"
  [ "$(cat "$own_file_unix" 2>/dev/null)" = "$(sound_file 1)" ] ||
    e2e_fail "OK did not write sound on into $appdata\\Torva\\torva.txt"
  [ "$(sha256sum <"$folder_unix/torva.txt")" = "$installed_settings" ] || e2e_fail "the installed torva.txt changed"
  [ -z "$(ls "$folder_unix" | grep -v '^torva\.\(scr\|mpg\|txt\)$')" ] || e2e_fail "files appeared in $folder"
  e2e_note "Settings in a read-only $folder: saved into $appdata\\Torva\\torva.txt, exit 0"

  # Again: the dialog shows the user's own choice, so OK at once writes it back unchanged.
  dir=$(mktemp -d "$e2e_work/run.XXXXXX")
  e2e_start "$dir" "$folder\\torva.scr" /c
  e2e_wait_window "Torva Video Screensaver" 30 >/dev/null
  sleep 1
  e2e_press_key space
  code=$(e2e_wait_exit "$dir" 10) || e2e_fail "the settings dialog did not end on OK"
  [ "$code" = 0 ] && [ "$(cat "$own_file_unix")" = "$(sound_file 1)" ] ||
    e2e_fail "the second dialog did not show Sound On (exit $code, $(od -c "$own_file_unix"))"
  e2e_note "Settings again: Sound On"

  # The show reads the same file: with sound on it opens a stream at the user's sound server.
  dir=$(mktemp -d "$e2e_work/run.XXXXXX")
  e2e_start "$dir" "$folder\\torva.scr" /s
  seen=$(e2e_wait_window Form1 30)
  e2e_sleep_until "$seen" 3
  streams=$(as_user pactl list short sink-inputs | wc -l)
  e2e_end_with_keys "$dir"
  [ "$streams" -ge 1 ] || e2e_fail "the show opened no sound stream: it did not read the user's own file"
  e2e_note "the show for $user: $streams sound stream(s)"
  chmod -R u+w "$folder_unix"
else
  mkdir -p "$(dirname "$own_file_unix")"
  sound_file 1 >"$own_file_unix"
fi

# Removed: the machine's files, folder, entry and registry go; the user's own settings file stays.
msiexec /x "$(package "$version")"
[ ! -e "$folder_unix" ] || e2e_fail "uninstalling left $folder"
[ -z "$(products)" ] || e2e_fail "uninstalling left the product: $(products)"
[ "$(cat "$own_file_unix")" = "$(sound_file 1)" ] || e2e_fail "uninstalling touched the user's own settings file"
rm -rf "$(dirname "$own_file_unix")"

# The two scopes side by side, each way round: whatever one scope's copy goes through (install,
# upgrade, removal), the other's files, registry values and Apps entry stay as they were, and the
# machine's folder is read-only whenever the user's own copy changes. The upgrades go to this
# version built once more, a product of its own. Each copy's state is kept beside the screenshots.
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
code_old=$(product_code "$old_msi") code_new=$(product_code "$msi") code_again=$(product_code "$run/packages/torva-again.msi")
user_folder_unix=$(unix_path "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')\\Programs\\Torva")
desktop='HKCU\Control Panel\Desktop'
# The user's and the machine's registry as "key | line" lines, read once for the states below.
read_registry() {
  local hive
  for hive in HKEY_CURRENT_USER 'HKEY_LOCAL_MACHINE\Software'; do
    wine regedit /E "Z:${run//\//\\}\\export.reg" "$hive"
    iconv -f UTF-16 -t UTF-8 "$run/export.reg" | tr -d '\r' | awk '/^\[/ { key = $0 } NF { print key " | " $0 }'
  done >"$e2e_work/registry"
}
# One copy's state, a line each: its files with their hashes, then its registry values and its Apps
# entry (Wine keeps every product's in the machine's 32-bit uninstall list), from read_registry.
copy_state() {
  local folder=$1 product=$2 key patterns=()
  shift 2
  for key in "$@"; do patterns+=(-e "[$key]"); done
  [ ! -d "$folder" ] || (cd "$folder" && find . -type f -exec sha256sum {} + | sort)
  { grep -F "${patterns[@]}" -e "\\Uninstall\\$product]" "$e2e_work/registry" || true; } | { grep -v ' | \[' || true; } | sort
}
machine_keys=('HKEY_LOCAL_MACHINE\Software\Wow6432Node\Torva')
user_keys=('HKEY_CURRENT_USER\Software\Torva' 'HKEY_CURRENT_USER\Software\Classes\Local Settings\Software\Torva')
machine_state() { copy_state "$folder_unix" "$1" "${machine_keys[@]}"; }
user_state() {
  copy_state "$user_folder_unix" "$1" "${user_keys[@]}"
  echo "SCRNSAVE.EXE=$(reg_value "$desktop" SCRNSAVE.EXE)"
}
# Both copies in short, for people to read: the files, the values of each scope and the Apps entries.
both_states() {
  local where
  read_registry
  for where in "$folder_unix" "$user_folder_unix"; do
    [ ! -d "$where" ] || (cd "$where/.." && find Torva -type f | sed "s|^|$(basename "$(dirname "$where")")/|")
  done
  copy_state /nonexistent none "${machine_keys[@]}" "${user_keys[@]}"
  products | sed 's/^/Apps entry: /'
  echo "SCRNSAVE.EXE=$(reg_value "$desktop" SCRNSAVE.EXE)"
}
# Runs msiexec with the arguments after "--" and checks that `state` (a command) prints the same
# before and after; both copies before and after go beside the screenshots.
unchanged_by() {
  local name=$1 state=$2
  shift 3
  both_states >"$e2e_shots/install-pair-$name-before.txt"
  $state >"$e2e_work/other-before"
  msiexec "$@"
  both_states >"$e2e_shots/install-pair-$name-after.txt"
  $state | diff "$e2e_work/other-before" - >"$e2e_work/left" ||
    e2e_fail "msiexec $* changed the other scope's copy: $(head -n 20 "$e2e_work/left")"
}
protect_machine() { chmod -R a-w "$folder_unix"; }
release_machine() { chmod -R u+w "$folder_unix"; }

# The machine's first, then a user's own: installed, upgraded, and removed while it names itself as
# the saver by its short path.
msiexec /i "$(package "$version")" ALLUSERS=1
protect_machine
unchanged_by machine-first-1-user-install "machine_state $code_new" -- /i "$(package "$previous")"
[ "$(cat "$user_folder_unix/torva.txt" 2>/dev/null)" = "$(sound_file 0)" ] || e2e_fail "no user's own copy beside the machine's"
[ "$(products | wc -l)" = 2 ] || e2e_fail "not two products: $(products)"
unchanged_by machine-first-2-user-upgrade "machine_state $code_new" -- /i "$(package again)"
[ "$(products | sort)" = "$(printf '%s %s\n' "$code_new" "$version" "$code_again" "$version" | sort)" ] ||
  e2e_fail "after the user's upgrade: $(products)"
long_saver=$(reg_value "$desktop" SCRNSAVE.EXE)
[ "$(unix_path "$long_saver")" -ef "$user_folder_unix/torva.scr" ] || e2e_fail "the user's own copy is not the saver: $long_saver"
short_saver=$(wine winepath -s "$long_saver" | tr -d '\r')
[ "${short_saver,,}" != "${long_saver,,}" ] || e2e_fail "no short path for $long_saver to test with"
wine reg add "$desktop" /v SCRNSAVE.EXE /d "$short_saver" /f
unchanged_by machine-first-3-user-removal "machine_state $code_new" -- /x "$(package again)"
[ -z "$(reg_value "$desktop" SCRNSAVE.EXE)" ] || e2e_fail "the user's removal left SCRNSAVE.EXE naming its copy by $short_saver"
[ ! -e "$user_folder_unix" ] || e2e_fail "the user's removal left $user_folder_unix"
release_machine
msiexec /x "$(package "$version")"
[ -z "$(products)" ] || e2e_fail "left installed: $(products)"
e2e_note "the machine's copy, then a user's own installed, upgraded and removed (saver named by $short_saver): the machine's unchanged"

# A user's own first, then the machine's: installed, upgraded and removed while the user has chosen
# the machine's copy as the saver; then the user's removed with the machine's in place again.
msiexec /i "$(package "$previous")"
unchanged_by user-first-1-machine-install "user_state $code_old" -- /i "$(package "$version")" ALLUSERS=1
unchanged_by user-first-2-machine-upgrade "user_state $code_old" -- /i "$(package again)" ALLUSERS=1
[ "$(products | sort)" = "$(printf '%s %s\n' "$code_old" "$previous" "$code_again" "$version" | sort)" ] ||
  e2e_fail "after the machine's upgrade: $(products)"
wine reg add "$desktop" /v SCRNSAVE.EXE /d "$folder\\torva.scr" /f
unchanged_by user-first-3-machine-removal "user_state $code_old" -- /x "$(package again)"
msiexec /i "$(package again)" ALLUSERS=1
protect_machine
unchanged_by user-first-4-user-removal "machine_state $code_again" -- /x "$(package "$previous")"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$folder\\torva.scr" ] || e2e_fail "the user's removal changed the machine's copy as the saver"
release_machine
msiexec /x "$(package again)"
[ -z "$(products)" ] || e2e_fail "left installed: $(products)"
wine reg delete "$desktop" /v SCRNSAVE.EXE /f || true
e2e_note "a user's own copy, then the machine's installed, upgraded and removed: the user's unchanged, and the other way round"

snapshot after
# A user's own install makes the roots its profile keeps for every per-user product (the folder for
# programs, the installer's cache); on a prefix that never had one they are new, and they stay.
diff "$e2e_work/before.files" "$e2e_work/after.files" |
  grep -v -E '^> \./users/[^/]+/AppData/(Local/Programs|Roaming/Microsoft/Installer)$' >"$e2e_work/left" || true
grep -q '^[<>]' "$e2e_work/left" && e2e_fail "left behind (files): $(head -n 20 "$e2e_work/left")"
# Running the program makes the system keep some settings of its own; none may name Torva.
comm -13 "$e2e_work/before.keys" "$e2e_work/after.keys" | grep -i torva &&
  e2e_fail "registry values of Torva left behind"
e2e_note "uninstalled: the user's own settings file stayed; nothing else of Torva is left"

[ -z "$no_32bit" ] || e2e_skip "installing for the machine passed; running the installed program was skipped: $no_32bit"
