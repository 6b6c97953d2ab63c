#!/usr/bin/env python3
"""Runs Windows programs under Wine on a private X display.

64-bit programs run under the machine's wine64. 32-bit ones (the shipping
i686 build) run under the 32-bit Wine of an unpacked i386 Debian tree,
emulated by QEMU through binfmt_misc (scripts/setup-i386.sh prepares it):
the program, its wineserver and every helper start chrooted into that tree
in a private mount namespace with /proc, /dev, /tmp, the work folders and
the session's own folders bound in at the same paths, so paths mean the
same on both sides. Xvfb and xdotool stay native. A session's architecture
follows the suite folder's files (or a program's own), or --arch.

Every run gets its own Wine prefix, copied from a template that is made once
and cached (Wine drawing window frames itself, no Mono or Gecko), with Wine's
own fonts added, its own Xvfb display and its own wineserver, so runs can go
side by side and leave nothing behind.

Command line:
    wine.py template [--arch win32]  make the cached template prefix now
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
        --arch win32|win64                      Wine to use (default: the suite's or
                                                the program's own architecture)
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
TEMPLATES = {"win64": os.path.join(CACHE, "template"),
             "win32": os.path.join(CACHE, "template-win32")}
TEMPLATE = TEMPLATES["win64"]
I386_TREE = os.path.join(os.environ.get("QV_I386_CACHE", "/var/cache/kestrix-i386"), "tree")
WINE32 = "/usr/lib/wine/wine"
WINESERVER32 = "/usr/lib/wine/wineserver32"
# Folders every 32-bit process sees at their own paths (besides a session's).
# The checkout itself is bound too: tests run programs from its build folders,
# wherever it was cloned.
CHECKOUT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TREE_BINDS = ["/proc", "/dev", "/tmp", os.path.expanduser("~"), CHECKOUT]
# Enters the tree: binds the folders given before "--", then runs the rest.
ENTER_TREE = r"""
tree=$1; shift
while [ "$1" != -- ]; do
  mkdir -p "$tree$1" && mount --rbind "$1" "$tree$1" || exit 125
  shift
done
shift
exec chroot "$tree" "$@"
"""
PE_MACHINES = {0x14C: "win32", 0x8664: "win64"}
# How many times longer than natively things take under emulation: every
# wait of the harness, WIZDRIVE.EXE, the test programs' wizard watch and
# the scripts that ask (session.patience) is stretched by it. The Wine
# processes see it as QV_PATIENCE.
PATIENCE = {"win64": 1, "win32": int(os.environ.get("QV_WIN32_PATIENCE", "5"))}
# Wine's own fonts (Debian's fonts-wine, also in the i386 tree): without
# Marlett the caption buttons Wine draws show as letters.
FONT_DIRS = ["/usr/share/wine/fonts", os.path.join(I386_TREE, "usr", "share", "wine", "fonts")]
REG_STAMP = "1700000000"
SUITE_DIR = "C:\\KESTRIX"
TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
START_LINE = os.path.join(TOP, "tools", "line", "start-line.sh")


def _base_env(prefix, display=None, arch="win64"):
    env = dict(os.environ)
    env["WINEPREFIX"] = prefix
    env["WINEDEBUG"] = env.get("QV_WINEDEBUG", "-all")
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winemenubuilder.exe=d"
    env["WINEARCH"] = arch
    if arch == "win32":
        env["WINESERVER"] = WINESERVER32
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


def pe_arch(path):
    """win32 or win64 for a PE file (None if it is not one)."""
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
    except OSError:
        return None
    if head[:2] != b"MZ" or len(head) < 64:
        return None
    at = int.from_bytes(head[60:64], "little")
    if head[at:at + 4] != b"PE\0\0":
        return None
    return PE_MACHINES.get(int.from_bytes(head[at + 4:at + 6], "little"))


def folder_arch(folder):
    """The architecture of a suite folder's programs and DLLs."""
    for name in sorted(os.listdir(folder)):
        if name.upper().endswith((".EXE", ".DLL")):
            arch = pe_arch(os.path.join(folder, name))
            if arch:
                return arch
    return None


def check_tree():
    """Fails with the reason when 32-bit Wine cannot run here."""
    if not os.path.exists(os.path.join(I386_TREE, ".ready")):
        raise RuntimeError("no i386 tree at %s: run scripts/setup-i386.sh" % I386_TREE)
    if not os.path.exists("/proc/sys/fs/binfmt_misc/qemu-i386"):
        raise RuntimeError("i386 programs are not handed to QEMU (no binfmt_misc entry): "
                           "run scripts/setup-i386.sh")


def wine_command(arch, argv, binds=()):
    """The command line that runs argv (a Wine tool and its arguments, e.g.
    ["wine", "x.exe"] or ["wineserver", "-k"]) under the Wine of arch."""
    if arch != "win32":
        tool = {"wine": WINE}.get(argv[0], argv[0])
        return [tool, *argv[1:]]
    tool = {"wine": WINE32, "wineserver": WINESERVER32}.get(argv[0], argv[0])
    folders = []
    for d in sorted(set(TREE_BINDS) | set(binds), key=len):
        if os.path.isdir(d) and not any(d == f or d.startswith(f + "/") for f in folders):
            folders.append(d)
    return ["unshare", "--mount", "--", "/bin/sh", "-c", ENTER_TREE, "enter-tree",
            I386_TREE, *folders, "--", tool, *argv[1:]]


def ensure_template(arch="win64"):
    """Makes the cached template prefix once; later calls return at once."""
    template = TEMPLATES[arch]
    if arch == "win32":
        check_tree()
    os.makedirs(CACHE, exist_ok=True)
    with open(os.path.join(CACHE, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(os.path.join(template, ".ready")):
            return template
        work = tempfile.mkdtemp(prefix="template-", dir=CACHE)
        prefix = os.path.join(work, "prefix")
        env = _base_env(prefix, arch=arch)
        subprocess.run(wine_command(arch, ["wine", "wineboot", "-i"]), env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(wine_command(arch, ["wineserver", "-w"]), env=env, check=True)
        # Without a window manager Wine must draw frames and captions itself;
        # it also stops a closing top-level window from stalling for seconds.
        _append_reg(prefix, "user.reg", r"Software\Wine\X11 Driver", {"Managed": "N"})
        open(os.path.join(prefix, ".ready"), "w").close()
        if os.path.exists(template):
            shutil.rmtree(template)
        os.rename(prefix, template)
        shutil.rmtree(work, ignore_errors=True)
        return template


def install_fonts(prefix):
    """Wine's own fonts into the prefix's Fonts folder, those not yet there
    (a template made before they were installed has none)."""
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    have = set(os.listdir(fonts))
    for d in filter(os.path.isdir, FONT_DIRS):
        for name in sorted(set(os.listdir(d)) - have):
            shutil.copy2(os.path.join(d, name), fonts)
            have.add(name)


def unix_path(prefix, windows_path):
    """The Unix path of C:\\... inside a prefix."""
    drive, rest = windows_path[0].lower(), windows_path[2:].lstrip("\\/")
    return os.path.join(prefix, "drive_" + drive, *rest.replace("\\", "/").split("/"))


class WineSession:
    """A private prefix, X display and wineserver for one test or demo."""

    def __init__(self, version=None, com=None, copies=None, env=None, keep=None,
                 display=None, screen="1024x768x24", suite=None, line=None, line_dir=None,
                 line_host=(), telephony=True, arch=None, log=None):
        self.version = version
        # Where Wine's own output goes (the wineserver's and the programs'
        # stderr); by default wherever the caller's goes.
        self.log_path = log
        self.log = None
        self.arch = arch or os.environ.get("QV_WINE_ARCH") or (
            suite and folder_arch(suite)) or "win64"
        self.patience = PATIENCE[self.arch]
        # The suite's own TAPI32.DLL (its modems as telephony lines) is used
        # instead of Wine's, which has no lines; MODEM.CPL is found on the
        # path, as the Control Panel looks for applets there.
        self.telephony = telephony
        self.suite = suite
        # The line: a COM port name for the simulated modem, and the folder
        # for the host's database and both transcripts (a temporary one by
        # default), and the host options every start of the line begins with.
        self.line_port = line
        self.line_dir = line_dir
        self.line_host = list(line_host)
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
        template = ensure_template(self.arch)
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
        install_fonts(self.prefix)
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
        self.env = _base_env(self.prefix, self.display, self.arch)
        self.env["QV_PATIENCE"] = str(self.patience)
        if provider:
            self.env["WINEPATH"] = SUITE_DIR
        self.env.update(self.extra_env)
        if self.log_path:
            self.log = open(self.log_path, "wb")
        # The persistent server keeps the descriptors it was started with; what
        # it prints (a dump of its objects when it is ended) is noise.
        subprocess.run(self.command(["wineserver", "-p"]), env=self.env, check=True,
                       stdout=self.log or subprocess.DEVNULL, stderr=self.log or subprocess.DEVNULL)

    def command(self, argv):
        """argv (a Wine tool and its arguments) as this session runs it."""
        binds = [os.path.dirname(self.prefix)]
        binds += [self.line_dir] if self.line_dir else []
        binds += [os.path.dirname(os.path.abspath(p)) for p in self.com.values()]
        return wine_command(self.arch, argv, binds)

    def _start_line(self, persona=None, host=(), modem=()):
        if not self.line_dir:
            self.line_dir = tempfile.mkdtemp(prefix="kx-line-")
            self._own_line_dir = True
        os.makedirs(self.line_dir, exist_ok=True)
        link = os.path.join(self.line_dir, "modem")
        command = [START_LINE, "--dir", self.line_dir, "--link", link]
        command += ["--persona", persona] if persona else []
        for word in self.line_host + list(host):
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
            subprocess.run(self.command(["wineserver", "-k"]), env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(self.command(["wineserver", "-w"]), env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.log:
            self.log.close()
            self.log = None
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
        # A desktop session loads X resources; a bare Xvfb has none, and then
        # Xlib reads ~/.Xdefaults again on every XGetDefault, which Wine calls
        # twice each time a font is selected into a window's device context.
        subprocess.run(["xprop", "-display", self.display, "-root", "-f", "RESOURCE_MANAGER",
                        "8s", "-set", "RESOURCE_MANAGER", "Xft.dpi:\t96\n"], check=True)

    # -- programs -----------------------------------------------------------
    def start(self, program, args=(), **popen):
        """Starts a Windows program and returns its Popen. program is a Unix
        path, or with a suite installed a bare file name inside the suite."""
        if self.suite and os.sep not in program:
            program = os.path.join(self.c_drive(SUITE_DIR), program)
        if self.log:
            popen.setdefault("stderr", self.log)
        return subprocess.Popen(self.command(["wine", program, *args]), env=self.env, **popen)

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
        deadline = time.monotonic() + timeout * self.patience
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
    t = sub.add_parser("template")
    t.add_argument("--arch", choices=sorted(TEMPLATES), default="win64")
    r = sub.add_parser("run")
    r.add_argument("--arch", choices=sorted(TEMPLATES))
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
        print(ensure_template(a.arch))
        return 0
    program = a.program[1:] if a.program[:1] == ["--"] else a.program
    if not program:
        ap.error("run needs a program after --")
    session = WineSession(version=a.version, com=dict(_pairs(a.com)),
                          copies=_pairs(a.copy), env=dict(_pairs(a.env)), keep=a.keep,
                          suite=a.suite, line=a.line, telephony=not a.no_telephony,
                          arch=a.arch or (not a.suite and pe_arch(program[0])) or None)
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
