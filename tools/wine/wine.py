#!/usr/bin/env python3
"""Runs Windows programs under wine64 on a private X display.

Every run gets its own Wine prefix, copied from a template that is made once
and cached (fonts installed, Wine drawing window frames itself, no Mono or
Gecko), its own Xvfb display and its own wineserver, so runs can go side by
side and leave nothing behind.

Command line:
    wine.py template                 make the cached template prefix now
    wine.py run [options] -- PROGRAM [ARGS...]
        --version win95|win98|nt40|winxp|win7   Windows version the program sees
        --com COM1=/unix/path                   map a COM port (repeatable)
        --suite DIR                             install the suite folder DIR (a build's
                                                bin/) as C:\\KESTRIX; a PROGRAM without a
                                                folder is then run from there
        --copy SRC=C:\\DEST                      copy a file or folder into the prefix
        --line COMn                             start the line (the registration host and
                                                the simulated modem, tools/line) and map
                                                its modem to COMn
        --env NAME=VALUE                        extra environment (repeatable)
        --screenshot FILE --screenshot-after S  picture of the screen after S seconds
        --no-telephony                          leave Wine's own TAPI32 in place of the
                                                suite's line provider
        --keep DIR                              keep the prefix in DIR afterwards
        --timeout S                             end the program after S seconds
The exit status is the program's.

As a module, WineSession gives the same to Python test drivers:
    with WineSession(version="win95", com={"COM1": pty}) as s:
        p = s.start(exe, args)          # a subprocess.Popen
        s.screenshot("page.png")
        s.xdotool("key", "Tab")
"""

import argparse
import fcntl
import os
import shutil
import subprocess
import sys
import tempfile
import time

WINE = shutil.which("wine64") or shutil.which("wine") or "wine64"
CACHE = os.environ.get("QV_WINE_CACHE",
                       os.path.join(os.path.expanduser("~"), ".cache", "kestrix-wine"))
TEMPLATE = os.path.join(CACHE, "template")
FONT_DIRS = ["/usr/share/wine/fonts"]
REG_STAMP = "1700000000"
SUITE_DIR = "C:\\KESTRIX"
TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
START_LINE = os.path.join(TOP, "tools", "line", "start-line.sh")


def _base_env(prefix, display=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = prefix
    env["WINEDEBUG"] = env.get("QV_WINEDEBUG", "-all")
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winemenubuilder.exe=d"
    env["WINEARCH"] = "win64"
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    return env


def _reg_block(key, values):
    """One key of a Wine .reg file, in the text form wineserver loads."""
    lines = ["", "[%s] %s" % (key.replace("\\", "\\\\"), REG_STAMP)]
    for name, value in values.items():
        value = value.replace("\\", "\\\\").replace('"', '\\"')
        lines.append('"%s"="%s"' % (name, value))
    return "\n".join(lines) + "\n"


def _append_reg(prefix, hive, key, values):
    """Adds a key to a hive file of a prefix whose wineserver is not running."""
    with open(os.path.join(prefix, hive), "a", encoding="utf-8") as f:
        f.write(_reg_block(key, values))


def ensure_template():
    """Makes the cached template prefix once; later calls return at once."""
    os.makedirs(CACHE, exist_ok=True)
    with open(os.path.join(CACHE, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(os.path.join(TEMPLATE, ".ready")):
            return TEMPLATE
        work = tempfile.mkdtemp(prefix="template-", dir=CACHE)
        prefix = os.path.join(work, "prefix")
        env = _base_env(prefix)
        subprocess.run([WINE, "wineboot", "-i"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, check=True)
        fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
        os.makedirs(fonts, exist_ok=True)
        for d in FONT_DIRS:
            if os.path.isdir(d):
                for name in os.listdir(d):
                    shutil.copy2(os.path.join(d, name), fonts)
        # Without a window manager Wine must draw frames and captions itself;
        # it also stops a closing top-level window from stalling for seconds.
        _append_reg(prefix, "user.reg", r"Software\Wine\X11 Driver", {"Managed": "N"})
        open(os.path.join(prefix, ".ready"), "w").close()
        if os.path.exists(TEMPLATE):
            shutil.rmtree(TEMPLATE)
        os.rename(prefix, TEMPLATE)
        shutil.rmtree(work, ignore_errors=True)
        return TEMPLATE


def unix_path(prefix, windows_path):
    """The Unix path of C:\\... inside a prefix."""
    drive, rest = windows_path[0].lower(), windows_path[2:].lstrip("\\/")
    return os.path.join(prefix, "drive_" + drive, *rest.replace("\\", "/").split("/"))


class WineSession:
    """A private prefix, X display and wineserver for one test or demo."""

    def __init__(self, version=None, com=None, copies=None, env=None, keep=None,
                 display=None, screen="1024x768x24", suite=None, line=None, line_dir=None,
                 telephony=True):
        self.version = version
        # The suite's own TAPI32.DLL (its modems as telephony lines) is used
        # instead of Wine's, which has no lines; MODEM.CPL is found on the
        # path, as the Control Panel looks for applets there.
        self.telephony = telephony
        self.suite = suite
        # The line: a COM port name for the simulated modem, and the folder
        # for the host's database and both transcripts (a temporary one by
        # default).
        self.line_port = line
        self.line_dir = line_dir
        self.line = None
        self._own_line_dir = False
        self.com = com or {}
        self.copies = copies or []
        self.extra_env = env or {}
        self.keep = keep
        self.own_display = display is None
        self.display = display
        self.screen = screen
        self.prefix = None
        self.xvfb = None
        self._work = None

    # -- life cycle ---------------------------------------------------------
    def __enter__(self):
        self.open()
        return self

    def __exit__(self, *exc):
        self.close()

    def open(self):
        template = ensure_template()
        if self.keep:
            self.prefix = os.path.abspath(self.keep)
            if os.path.exists(self.prefix):
                shutil.rmtree(self.prefix)
        else:
            self._work = tempfile.mkdtemp(prefix="kx-wine-")
            self.prefix = os.path.join(self._work, "prefix")
        if self.line_port:
            self._start_line()
        subprocess.run(["cp", "-a", template, self.prefix], check=True)
        if self.version:
            _append_reg(self.prefix, "user.reg", r"Software\Wine", {"Version": self.version})
        if self.com:
            _append_reg(self.prefix, "system.reg", r"Software\Wine\Ports", self.com)
        copies = list(self.copies)
        if self.suite:
            copies.insert(0, (self.suite, SUITE_DIR))
        for src, dest in copies:
            target = unix_path(self.prefix, dest)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            if os.path.isdir(src):
                shutil.copytree(src, target, dirs_exist_ok=True)
            else:
                shutil.copy2(src, target)
        provider = self.suite and os.path.exists(os.path.join(self.suite, "TAPI32.DLL"))
        if provider and self.telephony:
            _append_reg(self.prefix, "user.reg", r"Software\Wine\DllOverrides",
                        {"tapi32": "native,builtin"})
        if self.own_display:
            self._start_xvfb()
        self.env = _base_env(self.prefix, self.display)
        if provider:
            self.env["WINEPATH"] = SUITE_DIR
        self.env.update(self.extra_env)
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)

    def _start_line(self, persona=None, host=(), modem=()):
        if not self.line_dir:
            self.line_dir = tempfile.mkdtemp(prefix="kx-line-")
            self._own_line_dir = True
        os.makedirs(self.line_dir, exist_ok=True)
        link = os.path.join(self.line_dir, "modem")
        command = [START_LINE, "--dir", self.line_dir, "--link", link]
        command += ["--persona", persona] if persona else []
        for word in host:
            command += ["--host", word]
        self.line = subprocess.Popen(command + ["--", *modem], stdout=subprocess.PIPE, text=True)
        if not self.line.stdout.readline().strip():
            raise RuntimeError("the line did not start; see %s" % self.line_dir)
        self.com = dict(self.com, **{self.line_port: link})

    def _stop_line(self):
        if self.line:
            self.line.terminate()
            self.line.wait(10)
            self.line = None

    def restart_line(self, persona=None, host=(), modem=()):
        """The line again, on the same COM port and folder (the host's
        database stays), with another modem persona, more reghost options
        (host) or modemsim options (modem: --dial entries, --drop-after...).
        No program may have the port open meanwhile."""
        self._stop_line()
        self._start_line(persona, host, modem)

    def close(self):
        if self.line:
            self._stop_line()
            if self._own_line_dir:
                shutil.rmtree(self.line_dir, ignore_errors=True)
        if self.prefix:
            subprocess.run(["wineserver", "-k"], env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
            self.xvfb = None
        if self._work:
            shutil.rmtree(self._work, ignore_errors=True)
            self._work = None

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number

    # -- programs -----------------------------------------------------------
    def start(self, program, args=(), **popen):
        """Starts a Windows program and returns its Popen. program is a Unix
        path, or with a suite installed a bare file name inside the suite."""
        if self.suite and os.sep not in program:
            program = os.path.join(self.c_drive(SUITE_DIR), program)
        return subprocess.Popen([WINE, program, *args], env=self.env, **popen)

    def run(self, program, args=(), timeout=None, **popen):
        p = self.start(program, args, **popen)
        try:
            return p.wait(timeout)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
            print("wine.py: %s did not end within %s s" % (program, timeout), file=sys.stderr)
            return 124

    def c_drive(self, windows_path="C:\\"):
        return unix_path(self.prefix, windows_path)

    # -- the screen ---------------------------------------------------------
    def screenshot(self, path):
        subprocess.run(["import", "-display", self.display, "-window", "root", path],
                       check=True)

    def xdotool(self, *args):
        env = dict(os.environ, DISPLAY=self.display)
        return subprocess.run(["xdotool", *args], env=env, check=True,
                              stdout=subprocess.PIPE, text=True).stdout

    def wait_for_window(self, name, timeout=20.0):
        """Id of the first window whose title matches name (a regex), or None."""
        deadline = time.monotonic() + timeout
        env = dict(os.environ, DISPLAY=self.display)
        while time.monotonic() < deadline:
            r = subprocess.run(["xdotool", "search", "--name", name], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            ids = r.stdout.split()
            if ids:
                return ids[0]
            time.sleep(0.1)
        return None


def _pairs(items, sep="="):
    out = []
    for item in items or []:
        key, _, value = item.partition(sep)
        out.append((key, value))
    return out


def main(argv):
    ap = argparse.ArgumentParser(prog="wine.py")
    sub = ap.add_subparsers(dest="cmd", required=True)
    sub.add_parser("template")
    r = sub.add_parser("run")
    r.add_argument("--version")
    r.add_argument("--com", action="append")
    r.add_argument("--suite")
    r.add_argument("--copy", action="append")
    r.add_argument("--line")
    r.add_argument("--env", action="append")
    r.add_argument("--screenshot")
    r.add_argument("--screenshot-after", type=float, default=2.0)
    r.add_argument("--keep")
    r.add_argument("--no-telephony", action="store_true")
    r.add_argument("--timeout", type=float, default=600)
    r.add_argument("program", nargs=argparse.REMAINDER)
    a = ap.parse_args(argv)
    if a.cmd == "template":
        print(ensure_template())
        return 0
    program = a.program[1:] if a.program[:1] == ["--"] else a.program
    if not program:
        ap.error("run needs a program after --")
    session = WineSession(version=a.version, com=dict(_pairs(a.com)),
                          copies=_pairs(a.copy), env=dict(_pairs(a.env)), keep=a.keep,
                          suite=a.suite, line=a.line, telephony=not a.no_telephony)
    with session:
        p = session.start(program[0], program[1:])
        if a.screenshot:
            try:
                p.wait(a.screenshot_after)
            except subprocess.TimeoutExpired:
                session.screenshot(a.screenshot)
        try:
            return p.wait(a.timeout)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
            print("wine.py: %s did not end within %s s" % (program[0], a.timeout),
                  file=sys.stderr)
            return 124


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
