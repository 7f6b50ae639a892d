#!/usr/bin/env bash
# The release's administrative templates: the zip laid out as a PolicyDefinitions folder and listed in
# SHA256SUMS, both files well-formed, every string, presentation and category they refer to there,
# and the key, value name and values of the one policy those the program reads.
#   policy_templates.sh <release directory> <the win32 build directory it was made from>
set -euo pipefail
release=$1
version=$(sed -n 's/^#define TORVA_VERSION_STRING "\(.*\)"$/\1/p' "$2/generated/version.h")
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

zip=torva-$version-policy.zip
[ -f "$release/$zip" ] || { echo "SKIP: no $release/$zip: build the release first (tools/release.sh)" >&2; exit 77; }
grep -q " $zip\$" "$release/SHA256SUMS" || fail "SHA256SUMS does not list $zip"
(cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the release"
files=$(unzip -Z1 "$release/$zip" | grep -v '/$' | sort | tr '\n' ' ')
[ "$files" = "PolicyDefinitions/en-US/torva.adml PolicyDefinitions/torva.admx " ] || fail "the zip holds: $files"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$release/$zip" -d "$work"
admx=$work/PolicyDefinitions/torva.admx
adml=$work/PolicyDefinitions/en-US/torva.adml
cmp -s "$admx" "$root/installer/policy/torva.admx" && cmp -s "$adml" "$root/installer/policy/en-US/torva.adml" ||
  fail "the zip's templates are not the sources'"
xmllint --noout "$admx" "$adml" || fail "not well-formed"

# XPath on the templates, whose elements are all in the policy definitions' namespace.
xpath() { xmllint --xpath "$2" "$1" 2>/dev/null || true; }
each() { xpath "$1" "$2" | grep -o '"[^"]*"' | tr -d '"'; }
el() { printf '//*[local-name()="%s"]' "$1"; }

# Every reference resolves.
for id in $(grep -o '\$(string\.[^)]*)' "$admx" | sed 's/^$(string\.\(.*\))$/\1/' | sort -u); do
  [ -n "$(xpath "$adml" "$(el string)[@id=\"$id\"]")" ] || fail "no string $id in the .adml"
done
for id in $(grep -o '\$(presentation\.[^)]*)' "$admx" | sed 's/^$(presentation\.\(.*\))$/\1/' | sort -u); do
  [ -n "$(xpath "$adml" "$(el presentation)[@id=\"$id\"]")" ] || fail "no presentation $id in the .adml"
done
for ref in $(each "$admx" "$(el parentCategory)/@ref"); do
  [ -n "$(xpath "$admx" "$(el category)[@name=\"$ref\"]")" ] || fail "no category $ref"
done
policies=$(each "$admx" "$(el policy)/@name")
[ "$policies" = Sound ] || fail "the policies: $policies"
presentation=$(xpath "$admx" "string($(el policy)/@presentation)" | sed 's/^$(presentation\.\(.*\))$/\1/')
for ref in $(each "$adml" "$(el presentation)[@id=\"$presentation\"]/*/@refId"); do
  [ -n "$(xpath "$admx" "$(el policy)//*[@id=\"$ref\"]")" ] || fail "the presentation shows $ref, which the policy has not"
done
[ -n "$(xpath "$admx" "$(el category)[not(@parentCategory)][@name=\"$(each "$admx" "$(el parentCategory)/@ref")\"]")" ] ||
  fail "the policy's category is not one of the product's own at the top"

# The key and value the program reads (settings/sound_policy.h), for the machine and for users.
cpp_string() { sed -n "s/.*$1\\[\\] = L\"\\(.*\\)\";/\\1/p" "$root/settings/sound_policy.h" | sed 's/\\\\/\\/g'; }
key=$(xpath "$admx" "string($(el policy)/@key)")
[ "${key,,}" = "$(cpp_string kSoundPolicyKey | tr '[:upper:]' '[:lower:]')" ] || fail "the key $key is not the program's $(cpp_string kSoundPolicyKey)"
value=$(xpath "$admx" "string($(el enum)/@valueName)")
[ "$value" = "$(cpp_string kSoundPolicyValue)" ] || fail "the value $value is not the program's $(cpp_string kSoundPolicyValue)"
[ "$(xpath "$admx" "string($(el policy)/@class)")" = Both ] || fail "not offered for computers and users both"
# Enabled, it is sound on (1) or off (0), as the list shows them; nothing else.
items=$(for item in $(each "$admx" "$(el enum)$(el item)/@displayName" | sed 's/^$(string\.\(.*\))$/\1/'); do
          echo "$(xpath "$adml" "string($(el string)[@id=\"$item\"])")=$(xpath "$admx" "string($(el item)[@displayName=\"\$(string.$item)\"]$(el decimal)/@value)")"
        done | sort | tr '\n' ' ')
[ "$items" = "Sound off=0 Sound on=1 " ] || fail "the list's items: $items"
echo "policy templates: $key\\$value, $items, all references resolved"
