#!/usr/bin/env python3
"""Makes the user guide's screenshots (docs/guide/images/*.png) from the real console
under Xvfb at 1024x768, on a fresh copy of the demo job replaying its track. Called by
scripts/guide-shots.sh.

  guide_shots.py BUILD_DIR OUT_DIR
"""
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests/e2e"))
from xsession import XServer  # noqa: E402

MAP = (300, 250)  # an empty spot of the maximised map window at 1024x768


def main():
    build, out = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    out.mkdir(parents=True, exist_ok=True)
    tmp = Path(tempfile.mkdtemp(prefix="tidrun-shots."))
    prog = tmp / "prog"
    prog.mkdir()
    shutil.copy(build / "app/tidrun", prog / "tidrun")
    job = tmp / "tidrun-demo"
    shutil.copytree(ROOT / "examples/demo", job)
    # As scripts/demo-job.sh prepares the demo: the GPS track on COM1, the sounder on COM3.
    ini = "[]\r\nWORKDIR=%s\r\n\r\n[Ports]\r\nCOM1=replay:%s\r\nCOM3=replay:%s\r\n" % (
        job, job / "track.nmea", job / "sounder.nmea")
    (prog / "Tidrun.INI").write_bytes(ini.encode("cp932"))
    with open(job / "Tidrun.CFG", "ab") as cfg:
        cfg.write("\r\n[拡張]\r\n測深入力=COM3\r\n".encode("cp932"))
    (tmp / "run").mkdir(mode=0o700)
    x = XServer("1024x768")
    app = subprocess.Popen([str(prog / "tidrun")], cwd=str(job),
                           env=x.env(XDG_RUNTIME_DIR=str(tmp / "run"), HOME=str(tmp)))
    shots = []

    def shot(name, settle=0.8):
        time.sleep(settle)  # the last repaint of what was just done
        x.shot(out / name)
        shots.append(name)

    try:
        w = x.wait_window("作業フォルダの選択")
        shot("folder.png")
        x.key(w, "Return")
        w = x.wait_window("初期設定")
        shot("setup.png")
        gx, gy, _, _ = x.geometry(w)
        x.click(gx + 191, gy + 52)  # the page 受信ﾃﾞｰﾀ
        shot("setup-ports.png")
        x.click(gx + 251, gy + 52)  # the page 測深
        shot("setup-depth.png")
        x.key(w, "Return")
        main_id = x.wait_window("東京湾")
        shot("main.png", settle=8)  # the replayed boat under way

        x.click(*MAP)
        x.key(main_id, "shift+F7")  # the 測深 window with the replayed sounder's depth
        shot("depth.png", settle=3)
        x.click(*MAP)
        x.key(main_id, "shift+F7")

        x.click(*MAP)
        x.key(main_id, "alt+o", "c")
        w = x.wait_window("^補正$")
        x.key(w, "Down")  # the first reference point
        shot("calibrate.png")
        x.key(w, "Escape")
        x.wait_gone(w)

        x.click(894, 134)  # the buoy-point chooser of the 設標 window: 設標01
        x.key(None, "Down", "Return")
        x.click(86, 78)  # the planned line's angle: 45°30'
        x.key(None, "ctrl+a")
        x.type(None, "45.3")
        x.key(None, "Return")
        x.click(*MAP)
        shot("buoy.png", settle=4)

        x.click(*MAP)
        x.key(main_id, "F3")
        w = x.wait_window("^収録開始$")
        x.key(w, "Return")
        x.click(*MAP)
        x.key(main_id, "Return")  # the first cut by hand, then automatic ones
        shot("recording.png", settle=14)
        x.click(*MAP)
        x.key(main_id, "F5")

        x.click(*MAP)
        x.key(main_id, "F1")  # last: the window stays beside the tool windows
        x.wait_window("収録の作業手順")
        shot("help.png")
    finally:
        app.terminate()
        app.wait(20)
        x.close()
        shutil.rmtree(tmp, ignore_errors=True)
    print("made:", " ".join(shots))


if __name__ == "__main__":
    main()
