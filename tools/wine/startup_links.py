"""The links the suite leaves in a Wine prefix's Startup folder, read with
lnkinfo (a reader of .lnk files written by other people)."""
import glob
import os
import subprocess

STARTUP = "users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp"


def lnkinfo(path):
    """The fields lnkinfo prints, as a dict ("Local path", ...)."""
    out = subprocess.run(["lnkinfo", path], check=True, stdout=subprocess.PIPE, text=True).stdout
    fields = {}
    for line in out.splitlines():
        name, sep, value = line.strip().partition(":")
        if sep and name.strip() not in fields:
            fields[name.strip()] = value.strip()
    return fields


def startup_links(session):
    """{file name: lnkinfo fields} for every link in the Startup folder."""
    links = {}
    for folder in glob.glob(os.path.join(session.c_drive(), STARTUP)):
        for path in glob.glob(os.path.join(folder, "*.lnk")):
            links[os.path.basename(path)] = lnkinfo(path)
    return links


def check_suite_links(links):
    """The two start-up items: the suite alone, and the menu with /KX."""
    assert sorted(links) == ["Kestrix Menu.lnk", "Kestrix.lnk"], sorted(links)
    suite, menu = links["Kestrix.lnk"], links["Kestrix Menu.lnk"]
    assert suite.get("Local path") == "C:\\KESTRIX\\KESTRIX.EXE", suite
    assert "Command line arguments" not in suite, suite
    assert menu.get("Local path") == "C:\\KESTRIX\\QVMENU.EXE", menu
    assert menu.get("Command line arguments") == "/KX", menu
    assert menu.get("Description") == "Kestrix Menu", menu
