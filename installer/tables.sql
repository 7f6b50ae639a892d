-- What installer/torva.wxs means but wixl cannot write: set in the package's tables after wixl has
-- built them. tools/release.sh runs each statement (one a line) with msibuild, with @VERSION@ the
-- product's version (x.y.z) and @FILE_VERSION@ the program's own four-part version (x.y.z.0).

-- The program is a versioned file, as its version resource says: under the file versioning rules a
-- newer torva.scr then replaces an older one on upgrade. A hash is only for unversioned files.
UPDATE `File` SET `Version` = '@FILE_VERSION@', `Language` = '1033' WHERE `File` = 'TorvaScr'
DELETE FROM `MsiFileHash` WHERE `File_` = 'TorvaScr'

-- The settings file once it is there is the user's: never overwritten (NeverOverwrite, 128).
-- Every component is left alone while its product goes after another of the same scope has taken
-- over (ReplacedInScope, see torva.wxs); each condition holds on removal otherwise, as Wine leaves a
-- component alone there whose condition is false.
UPDATE `Component` SET `Attributes` = 128, `Condition` = 'NOT ReplacedInScope' WHERE `Component` = 'Settings'
UPDATE `Component` SET `Condition` = 'NOT ReplacedInScope' WHERE `Component` = 'Program'
UPDATE `Component` SET `Condition` = 'NOT ReplacedInScope' WHERE `Component` = 'SettingsSoundOn'

-- Torva becomes this user's saver only for one user, unless SETSAVER=0, where no saver is chosen on a
-- first install or where Torva (by its long or short path) already is the saver; on removal the
-- component goes whatever the saver (LeaveOtherSaver then keeps the user's choice). For the machine
-- it never is, not even on removal: the condition holds on removal for one user only. Registry key
-- path (4) and Transitive (64): a repair weighs the condition again and lets go of the saver another
-- choice has replaced.
UPDATE `Component` SET `Attributes` = 68, `Condition` = 'NOT ALLUSERS AND NOT ReplacedInScope AND (REMOVE~="ALL" OR (NOT SETSAVER="0" AND (CURRENTSAVER~=TorvaSaver OR (USERSAVERSHORT AND CURRENTSAVER~=USERSAVERSHORT) OR (NOT CURRENTSAVER AND NOT Installed AND NOT WIX_UPGRADE_DETECTED))))' WHERE `Component` = 'ScreenSaver'
UPDATE `Component` SET `Condition` = 'NOT ALLUSERS AND NOT ReplacedInScope' WHERE `Component` = 'UserProgramsFolder'
-- The machine's copy records its folder, and nothing else does.
UPDATE `Component` SET `Condition` = 'ALLUSERS AND NOT ReplacedInScope' WHERE `Component` = 'MachineScope'
-- Root -1 (wixl writes 4 for HKMU) is HKLM for the machine and HKCU for one user: a dual-purpose
-- package names no HKLM key itself.
UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4

-- Every custom action but one only sets a property (51). wixl also marks them to run without
-- impersonation (2048), which means nothing for such an action and has no place in a package that
-- installs per user. The one that writes the sound-on settings file is a deferred DLL action (1025)
-- that runs as the installing user: one user writes their own folder, and an install for the machine
-- runs elevated or as SYSTEM.
UPDATE `CustomAction` SET `Type` = 51 WHERE `Type` = 2099
UPDATE `CustomAction` SET `Type` = 1025 WHERE `Action` = 'WriteSoundOnSettings'

-- The searches and FindRelatedProducts run in the execute sequence only, right after their
-- properties are emptied: run in the user interface sequence too, their results (or a command
-- line's) would reach the execute sequence unchecked, as that sequence then skips them.
DELETE FROM `InstallUISequence` WHERE `Action` = 'AppSearch'
DELETE FROM `InstallUISequence` WHERE `Action` = 'FindRelatedProducts'

-- A rebuild of the same version upgrades the installed one in place (maximum version inclusive,
-- 512). ICE61 warns of this row, as a maximum that includes the package's own version could find
-- the package itself: it cannot, as every build has a product code of its own, and this is the
-- accepted way to let a rebuild of the same version replace the installed one.
DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'
INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('{5C655BE1-6548-4656-8F0A-F136E17B11C6}', '@VERSION@', 513, 'WIX_UPGRADE_DETECTED')

-- The two properties a deployment may give pass to the installer service in a managed install too.
UPDATE `Property` SET `Value` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;SETSAVER;SOUND' WHERE `Property` = 'SecureCustomProperties'
