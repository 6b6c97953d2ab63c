"""Drives the setup wizard of KESTRIX.EXE under Wine the way a person would:
WIZDRIVE.EXE reads and presses the wizard's controls, and the suite folder of
the session is read where the results land (QVSETUP.INI, the calls the
recording stand-in libraries saw). The setup tests, the demo and the
benchmarks use it.
"""
import os
import re
import subprocess
import tempfile

SHEET = "Kestrix Setup Wizard"
BOX = "Setup Wizard"


def read_profile(path):
    """QVSETUP.INI as {"S86": "...", "N9": "1"}; quoted values unescaped."""
    items = {}
    with open(path, encoding="latin-1") as f:
        for line in f:
            m = re.match(r"\s*([SLN]\d+)\s*=\s*(.*?)\s*$", line)
            if not m:
                continue
            value = m.group(2)
            if value.startswith('"') and value.endswith('"') and len(value) > 1:
                value = value[1:-1].encode("latin-1").decode("unicode_escape")
            items[m.group(1)] = value
    return items


class Suite:
    """One Wine session with the suite installed, reset between runs."""

    def __init__(self, session, version):
        self.s = session
        self.version = version
        self.win95 = version == "win95"
        self.dir = session.c_drive("C:\\KESTRIX")
        self.ini = os.path.join(self.dir, "QVSETUP.INI")
        self.pristine = open(self.ini, encoding="latin-1").read()
        self.calls = os.path.join(self.dir, "CALLS.LOG")
        with open(os.path.join(self.dir, "QVMENU.EXE"), "rb") as f:
            self.menu_program = f.read()
        self.running = []  # programs of the last run, ended by the next reset

    def end_programs(self):
        """Ends what a failed check left running, so that the next check
        does not find the old wizard on the screen."""
        for program in self.running:
            if program.poll() is None:
                program.kill()
                program.wait()
        self.running = []

    def reset(self, extra="", menu_program=True, env=None, real_libraries=False):
        """The installed profile plus extra lines, no log, no DBMAP.CFG. The
        recording stand-ins replace the suite's libraries unless asked."""
        self.end_programs()
        text = self.pristine
        if not real_libraries:
            text = text.replace("S33=QVDETECT.DLL", "S33=FAKEDET.DLL")
            text = text.replace("S35=QVUTIL32.DLL", "S35=FAKEUTIL.DLL")
        with open(self.ini, "w", encoding="latin-1") as f:
            f.write(text + extra)
        for name in ("CALLS.LOG", "DBMAP.CFG"):
            if os.path.exists(os.path.join(self.dir, name)):
                os.remove(os.path.join(self.dir, name))
        menu = os.path.join(self.dir, "QVMENU.EXE")
        if menu_program and not os.path.exists(menu):
            with open(menu, "wb") as f:
                f.write(self.menu_program)
        elif not menu_program and os.path.exists(menu):
            os.remove(menu)
        self.s.env.pop("FAKE_INIT", None)
        self.s.env.pop("FAKE_GROUP", None)
        self.s.env.pop("FAKE_FAIL", None)
        self.s.env.update(env or {})

    def profile(self):
        return read_profile(self.ini)

    def log(self):
        if not os.path.exists(self.calls):
            return []
        return open(self.calls, encoding="latin-1").read().splitlines()


class Wizard:
    """A launcher running the setup wizard, and the driver watching it."""

    def __init__(self, suite, before_sheet=None):
        """before_sheet(wizard): deals with what shows before the sheet,
        such as a message box while the pages are created."""
        self.suite = suite
        self.kestrix = suite.s.start("KESTRIX.EXE", ["--setup"], stdout=subprocess.PIPE,
                                     text=True)
        self.drive = suite.s.start("WIZDRIVE.EXE", [], stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, text=True)
        suite.running += [self.kestrix, self.drive]
        if before_sheet:
            before_sheet(self)
        self.do("sheet " + SHEET)

    def ask(self, line):
        self.drive.stdin.write(line + "\n")
        self.drive.stdin.flush()
        return self.drive.stdout.readline().strip()

    def do(self, line):
        answer = self.ask(line)
        assert answer.startswith("ok"), "%s -> %s" % (line, answer)
        return answer[3:]

    def page(self):
        return self.do("page")

    def press(self, button):
        self.do("press %d" % {"next": 57620, "back": 57621, "help": 57669}[button])

    def fill(self, values):
        for control, text in values.items():
            self.do("set %d %s" % (control, text))

    def finish(self, timeout=30):
        """The launcher's DoSetupWizard result."""
        self.ask("quit")
        out, _ = self.kestrix.communicate(timeout=timeout * self.suite.s.patience)
        self.drive.wait(10 * self.suite.s.patience)
        m = re.search(r"DoSetupWizard (-?\d+)", out)
        assert m, "no result in launcher output: %r" % out
        return int(m.group(1))


def walk_to_port(w, identity=None, address=None):
    assert w.page() == "welcome"
    w.press("next")
    assert w.page() == "identity"
    w.fill(identity or {1076: "212"})
    w.press("next")
    assert w.page() == "address"
    w.fill(address or {1070: "Springfield"})
    w.press("next")
    assert w.page() == "port", w.page()


def walk_to_model(w, port, identity=None, address=None):
    """Through the modem-or-port page with "Direct to PORT" chosen."""
    walk_to_port(w, identity, address)
    w.do("select 1021 Direct to " + port)
    w.press("next")
    assert w.page() == "model", w.page()


def walk_to_startup(w, identity=None, address=None):
    walk_to_port(w, identity, address)
    w.press("next")
    assert w.page() == "model", w.page()
    w.press("next")
    assert w.page() == "startup"


def choose(w, run_suite, run_menu, register):
    for control, on in ((1001, run_suite), (1003, run_menu), (1002, register)):
        w.do("check %d %d" % (control, 1 if on else 0))


REGISTER_SHEET = "Kestrix Registration Wizard"


class RegisterWizard(Wizard):
    """A launcher running the registration wizard (KESTRIX.EXE --register)."""

    def __init__(self, suite, text=None):
        self.suite = suite
        args = ["--register"] + (["--text", text] if text else [])
        # The product file's viewer inherits the launcher's output and
        # outlives it, so the output goes to a file rather than a pipe.
        self.out = tempfile.TemporaryFile(mode="w+")
        self.kestrix = suite.s.start("KESTRIX.EXE", args, stdout=self.out, text=True)
        self.drive = suite.s.start("WIZDRIVE.EXE", [], stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, text=True)
        self.do("sheet " + REGISTER_SHEET)

    def finish(self, timeout=30):
        """The launcher's DoRegisterWizard result."""
        self.ask("quit")
        self.kestrix.wait(timeout=timeout * self.suite.s.patience)
        self.drive.wait(10 * self.suite.s.patience)
        self.out.seek(0)
        out = self.out.read()
        m = re.search(r"DoRegisterWizard (-?\d+)", out)
        assert m, "no result in launcher output: %r" % out
        return int(m.group(1))


def register_dat(suite):
    """REGISTER.DAT as (32 fields, registered flag), or None."""
    path = os.path.join(suite.dir, "REGISTER", "REGISTER.DAT")
    if not os.path.exists(path):
        return None
    data = open(path, "rb").read()
    fields = [data[i * 60:(i + 1) * 60].split(b"\0")[0].decode("latin-1") for i in range(32)]
    return fields, int.from_bytes(data[1920:1924], "little")
