"""Helpers the Python test drivers share: free loopback ports, ser2net in
front of a serial device, and processes ended within a deadline."""
import socket
import subprocess
import time


def free_port():
    """A loopback TCP port nobody listens on now."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def stop(proc):
    """Ends a process (terminate, then kill after 5 s) and reaps it."""
    if proc and proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def start_ser2net(config, port, *options):
    """ser2net with a YAML configuration, once it accepts calls on port."""
    proc = subprocess.Popen(["ser2net", "-n", *options, "-c", config, "-P", config + ".pid"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), 0.2).close()
            return proc
        except OSError:
            time.sleep(0.05)
    stop(proc)
    raise RuntimeError("ser2net did not start listening")
