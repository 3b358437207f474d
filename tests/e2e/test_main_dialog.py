"""The main selection dialog of an ordinary run under Wine (Windows XP, sample
disc): its texts in the five languages as the live window shows them, Cancel,
each way through OK, and the about box from the system menu."""

import os
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import driver_fixtures as fx  # noqa: E402
import reg_files  # noqa: E402
import wine_changes  # noqa: E402

DISC = r"C:\disc"
PROGRAM = r'"%s\W2KSetup.exe"' % DISC
SUITE_SETUP = DISC + r"\W2K-ME\app\Setup.exe"
UNINSTALLER = r"C:\uninst\unins.exe"  # no blank: Wine would quote the path it starts
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tonivo Applications"
HAND_OVER = fx.WINDOWS_DIR + r"\QXISETUP.INI"
SUITE_MISSING = "Can not find the Tonivo Applications setup program."
FILES_MISSING = "Can not find installation files."
ABOUT_CAPTION = "About Setup"
MAIN_CAPTION_EN = "Tonivo Device Driver And Applications Setup Program"
STATIC = -1  # the group box and the label have no id of their own
IDOK, IDCANCEL, APPS, DRIVER, WAIT = 1, 2, 1001, 1002, 1003

# Per language: the Unix locale Wine takes it from, the ANSI code page the texts
# arrive in, the title, then the texts of OK, Cancel, 1003, 1001, 1002 and the label.
LANGUAGES = {
    "en-US": ("en_US.UTF-8", "cp1252", MAIN_CAPTION_EN,
              ["OK", "Cancel", "Please wait .....", "Install Applications",
               "Install Device Driver", "Please select the installation options:"]),
    "zh-TW": ("zh_TW.UTF-8", "cp950", "安裝 Tonivo設備驅動程式與應用程式",
              ["確認", "取消", "請稍後‧‧‧", "安裝應用程式", "安裝驅動程式", "請選擇安裝選項："]),
    "fr-FR": ("fr_FR.UTF-8", "cp1252",
              "Programme d'installation du pilote de peripherique Tonivo et des applications",
              ["OK", "Annuler", "Patientez quelques instants ...", "Installer les applications",
               "Installer le pilote de peripherique", "Choisissez les options d'installation :"]),
    "ja-JP": ("ja_JP.UTF-8", "cp932", "Tonivo ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞ/ｱﾌﾟﾘｹｰｼｮﾝ ｲﾝｽﾄｰﾙﾌﾟﾛｸﾞﾗﾑ ",
              ["OK", "ｷｬﾝｾﾙ ", "お待ちください .....", "ｱﾌﾟﾘｹｰｼｮﾝをｲﾝｽﾄｰﾙする ",
               "ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞをｲﾝｽﾄｰﾙする", "ｲﾝｽﾄｰﾙのｵﾌﾟｼｮﾝを選択してください:"]),
    "ko-KR": ("ko_KR.UTF-8", "cp949", "Tonivo 드라이버 및 응용프로그램 설치",
              ["네", "닫기", "잠시만 기다려 주십시오 .....", "응용프로그램 설치", "드라이버 설치",
               "설치 옵션을 선택하여 주십시오:"]),
}


def main_dialog_rule(actions, caption=MAIN_CAPTION_EN):
    return "dialog %s | %s\n" % (caption, actions)


def decoded(text, codepage):
    """A text the driver logged in the program's ANSI code page."""
    return text.encode("latin-1").decode(codepage)


def controls(dialog):
    return {c["id"]: c for c in dialog["controls"] if c["id"] != STATIC}


def starts(events):
    return [e for e in events if e.get("event") == "start"]


# What the start routine writes on every run before the dialog: the CD-player
# profile (the fresh prefix has no sound formats, so no default format is set).
START_ROUTINE_CHANGES = [("files_added", "windows/QXCDPLAY.INI")]


def program_changes(before, after):
    """Registry values and drive C files that changed between two snapshots, less
    what Wine changes by itself."""
    changes = wine_changes.program_changes(reg_files.diff_snapshots(before, after))
    out = []
    for kind in ("registry_added", "registry_removed", "registry_changed"):
        out += [(kind, change[0]) for change in changes[kind]]
    for kind in ("files_added", "files_removed", "files_changed"):
        out += [(kind, f) for f in changes[kind]]
    return out


def with_locale(s, locale):
    """Makes the scenario's next runs take the user's language from locale."""
    s.env.update(LANG=locale, LC_ALL=locale)


class MainDialogTestCase(harness.WineTestCase):
    def prepare_suite(self, s):
        """TuneStack running and a previous suite whose uninstaller runs a moment."""
        s.place_companion(UNINSTALLER, RunMs=1000)
        s.reg_add(UNINSTALL_KEY, "UninstallString", UNINSTALLER)
        return s.start_window_companion(r"C:\Program Files\Tonivo\TuneStack.exe", "TuneStack")


class Languages(MainDialogTestCase):
    """The dialog as it opens in each language; Cancel ends it and changes nothing."""

    def check_language(self, language, cancel_changes_nothing=False):
        locale, codepage, caption, texts = LANGUAGES[language]
        cancel = "dialog  | press %d\n" % IDCANCEL
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            with_locale(s, locale)
            if cancel_changes_nothing:
                before = s.snapshot()
            result = s.run(PROGRAM, script=cancel)
            events = s.settled_companion_events()
            if cancel_changes_nothing:
                after = s.snapshot()

        self.assertExitedWith(result, 1602)  # cancelled
        self.assertEqual(result.message_boxes, [])
        self.assertEqual(len(result.dialogs), 1, result.events)
        dialog = result.dialogs[0]
        self.assertEqual(decoded(dialog["caption"], codepage), caption)
        shown = controls(dialog)
        for control_id, text in zip((IDOK, IDCANCEL, WAIT, APPS, DRIVER), texts):
            self.assertEqual(decoded(shown[control_id]["text"], codepage), text, control_id)
        labels = [decoded(c["text"], codepage) for c in dialog["controls"]
                  if c["id"] == STATIC and c["class"].lower() == "static"]
        self.assertEqual(labels, [texts[5]])
        # Both boxes checked and showing, "Please wait" hidden, OK and Cancel enabled.
        self.assertEqual([(shown[i]["checked"], shown[i]["visible"]) for i in (APPS, DRIVER)],
                         [(1, True), (1, True)])
        self.assertFalse(shown[WAIT]["visible"])
        self.assertTrue(shown[IDOK]["enabled"] and shown[IDCANCEL]["enabled"])
        self.assertEqual(starts(events), [], "a program was started")
        if cancel_changes_nothing:
            self.assertEqual(program_changes(before, after), START_ROUTINE_CHANGES)

    def test_english(self):
        self.check_language("en-US", cancel_changes_nothing=True)

    def test_traditional_chinese(self):
        self.check_language("zh-TW")

    def test_french(self):
        self.check_language("fr-FR")

    def test_japanese(self):
        self.check_language("ja-JP")

    def test_korean(self):
        self.check_language("ko-KR")


class SuiteBranch(MainDialogTestCase):
    """OK with "Install Applications": close, uninstall, hand-over file, suite setup."""

    def run_suite(self, actions, remove=()):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC, remove=remove)
            tunestack = self.prepare_suite(s)
            started_before = len(starts(s.companion_events()))
            result = s.run(PROGRAM, script=main_dialog_rule(actions))
            events = s.settled_companion_events()
            s.wait_ended(tunestack, "TuneStack, closed by WM_CLOSE")
            hand_over = fx.read_host(s, HAND_OVER)
            staged = s.find_host_file(fx.STAGING_DIR)
        self.assertExitedWith(result, 0)
        self.assertEqual([e["title"] for e in events if e.get("event") == "close"],
                         ["TuneStack"])
        self.assertIsNone(staged, "driver files were staged")
        return result, starts(events)[started_before:], hand_over

    def check_started(self, started, suite_setup=True):
        expected = [(UNINSTALLER, UNINSTALLER + " -a")]
        if suite_setup:
            expected.append((SUITE_SETUP, '"%s"' % SUITE_SETUP))
        self.assertEqual([(e["exe"], e["cmdline"]) for e in started], expected)
        for e in started:
            self.assertEqual(e["cwd"], DISC + r"\W2K-ME")

    def test_both_boxes(self):
        result, started, hand_over = self.run_suite("press %d" % IDOK)
        self.assertEqual(result.message_boxes, [])
        self.check_started(started)
        self.assertIsNotNone(hand_over, "no hand-over file")
        self.assertEqual(reg_files.profile_value(hand_over, "Need_To_Reboot", "Install"), "NO")
        self.assertEqual(reg_files.profile_value(hand_over, "Need_To_InstallDriver", "Install"), "YES")
        # The program directory's general setup, unquoted.
        self.assertEqual(reg_files.profile_value(hand_over, "Need_To_InstallDriver", "Command"),
                         DISC + r"\Setup.exe")

    def test_only_applications(self):
        result, started, hand_over = self.run_suite("uncheck %d; press %d" % (DRIVER, IDOK))
        self.assertEqual(result.message_boxes, [])
        self.check_started(started)
        self.assertEqual(reg_files.profile_value(hand_over, "Need_To_InstallDriver", "Install"), "NO")
        self.assertEqual(reg_files.profile_value(hand_over, "Need_To_InstallDriver", "Command"), "")


class MissingSuiteSetup(MainDialogTestCase):
    def test_ends_before_the_dialog_shows(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC, remove=[r"W2K-ME\app\Setup.exe"])
            before = s.snapshot()
            result = s.run(PROGRAM)
            after = s.snapshot()
        self.assertExitedWith(result, 0)
        self.assertEqual([(b["caption"], b["text"], b["owner"], b["ownerVisible"])
                          for b in result.message_boxes],
                         [("Setup", FILES_MISSING, MAIN_CAPTION_EN, False)], result.events)
        self.assertEqual(result.dialogs, [])
        self.assertEqual(program_changes(before, after), START_ROUTINE_CHANGES)


class SecondCopy(MainDialogTestCase):
    """A copy started while the main dialog of another waits for the user: the named
    mutex is shared across processes only on a real system."""

    def test_says_setup_is_running_and_changes_nothing(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            first = []
            # No script: the dialog stays up until the driver's limit ends the program.
            worker = threading.Thread(target=lambda: first.append(s.run(PROGRAM, timeout=40)))
            worker.start()
            s.wait_window(MAIN_CAPTION_EN)
            # A snapshot would end the first copy: the driver installation's files
            # are looked for on the host side instead.
            second = s.run(PROGRAM + " /DRIVER")
            staged = [os.path.exists(s.host_path(p)) for p in
                      (r"C:\Program Files\Quarnex", r"C:\windows\W2KSetup.exe")]
            worker.join()
        self.assertExitedWith(second, 1618)
        # Each driver answers every message box on the desktop: the box is in the log
        # of whichever saw it first.
        boxes = [(b["caption"], b["text"]) for b in second.message_boxes + first[0].message_boxes]
        self.assertEqual(set(boxes), {("Setup", "Setup is already running.")}, second.events)
        self.assertEqual({d["caption"] for d in second.dialogs} - {MAIN_CAPTION_EN}, set(),
                         "the second copy showed a dialog of its own")
        self.assertEqual(staged, [False, False])


class DriverBranch(MainDialogTestCase):
    """OK with only "Install Device Driver": the whole installation behind the dialog."""

    def test_only_driver(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            fx.add_test_devices(s)
            devices_before = fx.present_devices(s)
            self.prepare_suite(s)
            started_before = len(starts(s.companion_events()))
            script = (main_dialog_rule("uncheck %d; press %d" % (APPS, IDOK)) +
                      fx.RESTART_LATER_SCRIPT)
            result = s.run(PROGRAM, script=script)
            events = s.settled_companion_events()
            device_faults = fx.device_faults_after_run(s, devices_before, [fx.DEVICE_INSTANCE])
            staged = fx.folder_files(s, fx.STAGING_DIR)
            dos = fx.folder_files(s, fx.DOS_DIR)
            hand_over = s.find_host_file(HAND_OVER)
            run_value = s.registry().value(s.program_key(fx.RUN_KEY), fx.RUN_VALUE)

        self.assertExitedWith(result, fx.RESTART_LATER_EXIT)
        self.assertEqual([(b["caption"], b["text"], b["owner"], b["ownerVisible"])
                          for b in result.message_boxes],
                         [("Setup", fx.NOTICE_TEXT, MAIN_CAPTION_EN, True)])
        self.assertEqual([d["caption"] for d in result.dialogs],
                         [MAIN_CAPTION_EN, fx.RESTART_CAPTION, fx.RESTART_CAPTION], result.events)
        self.assertEqual(starts(events)[started_before:], [], "a program was started")
        self.assertEqual([e for e in events if e.get("event") == "close"], [],
                         "a program was asked to close")
        self.assertIsNone(hand_over, "a hand-over file was written")
        self.assertEqual(device_faults, [])
        self.assertIn("W2KSetup.dat", staged or {})
        self.assertTrue(dos, "no DOS files were staged")
        self.assertIsNotNone(run_value, "the mixer replacement was not armed")


class AboutBox(MainDialogTestCase):
    def test_about_box_from_the_system_menu(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            # 0x0010, then OK on the about box and Cancel on the dialog behind it.
            script = (main_dialog_rule("syscommand %d" % 0x0010) +
                      "dialog %s | press %d; pressowner %d\n" % (ABOUT_CAPTION, IDOK, IDCANCEL))
            result = s.run(PROGRAM, script=script)
            events = s.settled_companion_events()
        self.assertExitedWith(result, 1602)  # the main dialog was cancelled
        self.assertEqual([d["caption"] for d in result.dialogs], [MAIN_CAPTION_EN, ABOUT_CAPTION])
        about = result.dialogs[1]
        self.assertEqual([(c["id"], c["class"].lower(), c["text"]) for c in about["controls"]],
                         [(0xFFFF, "static", ""), (0xFFFF, "static", "Setup Version 2.0"),
                          (IDOK, "button", "OK")])
        self.assertEqual(starts(events), [], "a program was started")


if __name__ == "__main__":
    unittest.main()
