"""CPU time of processes running in a Wine prefix, read from /proc."""
import os

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """utime + stime of a process, in seconds."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def pids_in_prefix(prefix, name):
    """Processes of a Wine prefix whose command line mentions name."""
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read().decode(errors="replace")
            with open("/proc/%s/environ" % entry, "rb") as f:
                environ = f.read().decode(errors="replace").split("\0")
        except OSError:
            continue
        if name in cmdline and "WINEPREFIX=" + prefix in environ:
            found.append(int(entry))
    return found
