#!/usr/bin/env python3
"""The Debian package made from this build, as a crew gets it.

cpack makes the package from the build as it is (nothing is compiled again), lintian finds
no error in it, its desktop entry and manual pages are valid, dpkg-shlibdeps named the
libraries it needs, and the console unpacked from it (dpkg-deb -x) starts under Xvfb: it
keeps Tidrun.INI in the user's configuration folder (~/.config/tidrun), not beside the
program, and opens the demo job it carries to the main window.

  package_test.py BUILD_DIR      exit 0 passed, 1 failed, 77 a tool is missing
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from xsession import XServer, missing_tools, wait_for  # noqa: E402

FAILS = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        FAILS.append(what)
    return cond


def run(*args, **kw):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, **kw)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    build = Path(sys.argv[1]).resolve()
    missing = missing_tools("cpack", "lintian", "dpkg-deb", "desktop-file-validate", "man")
    if missing:
        print("missing (scripts/deps.sh installs them):", " ".join(missing))
        return 77
    tmp = Path(tempfile.mkdtemp(prefix="tidrun-pkg."))
    try:
        return test_package(build, tmp)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def test_package(build, tmp):
    made = run("cpack", "--config", build / "CPackConfig.cmake", "-B", tmp / "out")
    debs = sorted((tmp / "out").glob("tidrun_*.deb"))
    if not check(made.returncode == 0 and len(debs) == 1, "cpack made one package"):
        print(made.stdout, made.stderr)
        return 1
    deb = debs[0]
    print("package:", deb.name, deb.stat().st_size, "bytes")

    lint = run("lintian", "--fail-on", "error", "--no-tag-display-limit", deb)
    print(lint.stdout.strip() or "lintian: no tags")
    check(lint.returncode == 0 and "\nE: " not in "\n" + lint.stdout, "lintian finds no error")

    depends = run("dpkg-deb", "-f", deb, "Depends").stdout
    check("libqt6widgets6" in depends and "libc6" in depends,
          "dpkg-shlibdeps named the libraries: %s" % depends.strip())

    listing = run("dpkg-deb", "-c", deb).stdout
    for path in ["./usr/bin/tidrun", "./usr/bin/tidrun-tool",
                 "./usr/share/applications/tidrun.desktop",
                 "./usr/share/icons/hicolor/scalable/apps/tidrun.svg",
                 "./usr/share/icons/hicolor/48x48/apps/tidrun.png",
                 "./usr/share/man/man1/tidrun-tool.1.gz", "./usr/share/man/man1/tidrun.1.gz",
                 "./usr/share/tidrun/sounds/Sound0.Wav", "./usr/share/tidrun/sounds/Sound1.Wav",
                 "./usr/share/tidrun/demo/Tidrun.CFG", "./usr/share/tidrun/demo/track.nmea",
                 "./usr/share/doc/tidrun/copyright", "./usr/share/doc/tidrun/guide/index.html"]:
        check((" " + path + "\n") in listing or (" " + path + " ->") in listing,
              "the package holds " + path)

    root = tmp / "root"
    check(run("dpkg-deb", "-x", deb, root).returncode == 0, "dpkg-deb -x unpacks it")
    desktop = root / "usr/share/applications/tidrun.desktop"
    v = run("desktop-file-validate", desktop)
    check(v.returncode == 0 and not v.stdout.strip(), "desktop-file-validate: %s" % v.stdout.strip())
    entry = desktop.read_text(encoding="utf-8")
    check("Name[ja]=" in entry and "Comment[ja]=" in entry and "\nExec=tidrun\n" in entry,
          "the desktop entry has a Japanese name and comment and runs tidrun")
    for page in ("tidrun.1.gz", "tidrun-tool.1.gz"):
        m = run("man", "--warnings", "-l", root / "usr/share/man/man1" / page,
                env=dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8"))
        check(m.returncode == 0 and not m.stderr.strip() and "SYNOPSIS" in m.stdout,
              "man -l %s renders without warnings %s" % (page, m.stderr.strip()))
    tool = run(root / "usr/bin/tidrun-tool", "job", root / "usr/share/tidrun/demo")
    check(tool.returncode == 0, "the packaged tidrun-tool loads the packaged demo job")

    start_console(root, tmp)
    print("FAILED: %d" % len(FAILS) if FAILS else "all checks passed")
    return 1 if FAILS else 0


def start_console(root, tmp):
    """The unpacked console as a user who has copied the demo job to a folder of their own."""
    home = tmp / "home"
    job = home / "tidrun-demo"
    shutil.copytree(root / "usr/share/tidrun/demo", job)
    ini_dir = home / ".config/tidrun"
    ini_dir.mkdir(parents=True)
    ini = ("[]\r\nWORKDIR=%s\r\n\r\n[Ports]\r\nCOM1=replay:%s\r\n" % (job, job / "track.nmea"))
    (ini_dir / "Tidrun.INI").write_bytes(ini.encode("cp932"))
    run_dir = tmp / "run"
    run_dir.mkdir(mode=0o700)
    x = XServer()
    env = x.env(HOME=str(home), XDG_RUNTIME_DIR=str(run_dir))
    env.pop("XDG_CONFIG_HOME", None)
    prog = root / "usr/bin/tidrun"
    app = subprocess.Popen([str(prog)], env=env, cwd=str(home), stdout=subprocess.DEVNULL,
                           stderr=subprocess.PIPE)
    try:
        chooser = x.wait_window("作業フォルダの選択")
        check(chooser is not None, "the packaged console's first window: 作業フォルダの選択")
        if chooser:
            x.key(chooser, "Return")
            setup = x.wait_window("初期設定")
            if check(setup is not None, "then the job's settings (初期設定)"):
                x.key(setup, "Return")
            main = x.wait_window("東京湾")
            check(main is not None, "the demo job open in the main window: %s"
                  % (x.title(main) if main else x.run("search", "--name", ".").stdout))
        check(not (prog.parent / "Tidrun.INI").exists(), "no Tidrun.INI beside the program")
    finally:
        app.send_signal(signal.SIGTERM)  # the end of the session: stores and ends
        try:
            app.wait(20)
        except subprocess.TimeoutExpired:
            app.kill()
            app.wait()
        x.close()
    check(app.returncode == 0, "the console ended cleanly (%s)" % app.returncode)
    ini_after = (ini_dir / "Tidrun.INI").read_bytes().decode("cp932")
    check("WORKDIR=%s" % job in ini_after, "the work folder stays in ~/.config/tidrun/Tidrun.INI")


if __name__ == "__main__":
    sys.exit(main())
