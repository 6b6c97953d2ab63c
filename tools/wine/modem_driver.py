"""The simulated modem behind a Wine session's COM port, restarted at will,
and Auto Select on the modem model page driven through WIZDRIVE.EXE. The
Auto Select test and the modem benchmark use it."""
import subprocess


class Line:
    """The simulated modem behind the port, restarted for each persona."""

    def __init__(self, modemsim, rfc2217_port, link):
        self.modemsim, self.rfc2217_port, self.link = modemsim, rfc2217_port, link
        self.transcript = link + ".log"
        self.proc = None

    def start(self, *options):
        self.stop()
        where = ["--rfc2217", str(self.rfc2217_port)] if self.rfc2217_port else ["--link", self.link]
        self.proc = subprocess.Popen([self.modemsim, "--transcript", self.transcript] + where + list(options),
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.proc.stdout.readline()

    def stop(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait(10)
            self.proc = None


def auto_select(w):
    """(message, selected model, candidates) of one Auto Select."""
    w.do("press 1064")
    message = w.do("detect Modem Auto-Detect")
    candidates = w.do("items 1063").split("|") if w.do("visible 1063") == "1" else []
    return message, w.do("selected 1062"), candidates
