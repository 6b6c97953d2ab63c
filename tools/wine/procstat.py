"""CPU time of processes running in a Wine prefix, read from /proc."""
import os

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """utime + stime of a process, in seconds (whole clock ticks)."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def thread_run_times(pid):
    """{thread id: nanoseconds run} of a process's live threads."""
    times = {}
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
                times[tid] = int(f.read().split()[0])
        except OSError:
            pass  # ended while being listed
    return times


class CpuClock:
    """Processor time used by processes from the clock's creation on. A
    clock tick is 10 ms, a third of a percent of a three-second call, so the
    time is summed from the threads' own run times in nanoseconds; for a
    process one of whose threads ended meanwhile (its time left the sum), it
    falls back to utime + stime."""

    def __init__(self, pids):
        self.start = {pid: (thread_run_times(pid), cpu_seconds(pid)) for pid in pids}

    def seconds(self, pid=None):
        total = 0.0
        for p in [pid] if pid else self.start:
            threads, ticks = self.start[p]
            now = thread_run_times(p)
            if set(threads) - set(now):
                total += cpu_seconds(p) - ticks
            else:
                total += sum(ns - threads.get(tid, 0) for tid, ns in now.items()) / 1e9
        return total


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
