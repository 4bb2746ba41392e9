#!/usr/bin/python3
# The new-connection form as a screen reader finds it: every control that
# takes the focus, its role and its name, read from the AT-SPI tree of the
# real program on Xvfb. Run by CTest under xvfb-run and dbus-run-session.
# Arguments: the directory of the built program, the demo provider's files.
import os, shutil, subprocess, sys, tempfile, time

import pyatspi

EXPECTED = [
    ("text", "この接続に付ける名前："),
    ("text", "ユーザー名："),
    ("password text", "パスワード："),
    ("combo box", "接続方法："),
    ("text", "アクセスポイント電話番号："),
    ("combo box", "モデム："),
    ("radio button", "トーン（プッシュ回線）"),
    ("radio button", "パルス（ダイヤル回線）"),
    ("check box", "このダイヤルアップ設定を「既定の接続」にする"),
    ("push button", "作成"),
]
FOCUSABLE = {role for role, _ in EXPECTED}


def form_controls():
    # The tree fills as the form is made: read it until it holds what is
    # expected, or for half a minute on a loaded machine, then take the last.
    found = []
    for _ in range(300):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "kivora" and app.childCount > 0:
                found = [(c.getRoleName(), c.name) for c in app[0] if c is not None and c.getRoleName() in FOCUSABLE]
        if found == EXPECTED:
            break
        time.sleep(0.1)
    return found


def main(bin_dir, demo_dir):
    with tempfile.TemporaryDirectory() as work:
        for name in ("kivora", "librasapi32.so"):
            shutil.copy(os.path.join(bin_dir, name), work)
        for name in ("CTMENU.csv", "ISP_INF.csv"):
            shutil.copy(os.path.join(demo_dir, name), work)
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", KIVORA_UI="qt",
                           KIVORA_SYSTEM=os.path.join(work, "system"))
        environment.pop("QT_QPA_PLATFORM", None)
        # A program that never reaches the accessibility bus (which happens
        # now and then on a loaded machine) is started once more.
        for attempt in range(3):
            program = subprocess.Popen([os.path.join(work, "kivora")], env=environment)
            try:
                found = form_controls()
            finally:
                program.kill()
                program.wait()
            if found == EXPECTED:
                break
            print("attempt", attempt + 1, "found:", *found, sep="\n  ")
    if found != EXPECTED:
        print("expected:", *EXPECTED, "found:", *found, sep="\n  ")
        return 1
    return 0


sys.exit(main(sys.argv[1], sys.argv[2]))
