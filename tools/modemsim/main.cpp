// modemsim: a Hayes modem on a pty or an RFC 2217 port. See docs/modemsim.md.
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "simulator.h"
#include "words.h"

using namespace modemsim;

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

const char kUsage[] =
    "usage: modemsim [--pty [--link PATH] | --rfc2217 PORT] [--persona NAME|FILE]\n"
    "                [--persona-dir DIR] [--phonebook FILE] [--dial NUMBER=OUTCOME[,HOST:PORT][,delay=MS]]...\n"
    "                [--transcript FILE] [--speed BPS] [--dte-speed BPS] [--dial-time MS]\n"
    "                [--deaf] [--error-on COMMAND]... [--fclass2-first]\n"
    "                [--drop-after BYTES] [--deaf-after LINES] [--noise AFTER:BYTES]...\n";

struct Options {
    bool pty = true;
    std::string link;
    int tcpPort = -1;
    std::string persona = "generic";
    std::string personaDir;
    std::string transcript;
    long speed = 0;
    bool deaf = false;
    bool fclass2First = false;
    std::vector<std::string> errorOn;
    SimulatorConfig config;
    Faults faults;
    PhoneBook book;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "modemsim: %s\n", message.c_str());
    std::exit(2);
}

long number(const char* text, const char* option) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 0 || v > 1000000000)
        fail(std::string(option) + " wants a number up to 10^9, not \"" + text + "\"");
    return v;
}

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) fail("cannot read " + path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// "1-800-555-0199=127.0.0.1:5000,delay=100" as the words of a phone book line.
std::vector<std::string> dialOptionWords(const std::string& text) {
    size_t eq = text.find('=');
    if (eq == std::string::npos) fail("--dial wants NUMBER=OUTCOME");
    std::vector<std::string> words{text.substr(0, eq)};
    std::stringstream rest(text.substr(eq + 1));
    std::string w;
    while (std::getline(rest, w, ',')) words.push_back(w);
    return words;
}

// "12:\x15noise" or "12:0x15,0x16"? Keep one form: AFTER:BYTES with C escapes.
Faults::Noise noiseOption(const std::string& text) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) fail("--noise wants AFTER:BYTES");
    LineWords w = splitWords("\"" + text.substr(colon + 1) + "\"");
    if (!w.error.empty() || w.words.size() != 1) fail("--noise: bad bytes \"" + text + "\"");
    return {number(text.substr(0, colon).c_str(), "--noise"), w.words[0]};
}

std::string defaultPersonaDir() {
    char self[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, n) : std::string();
    dir = dir.substr(0, dir.rfind('/'));
    std::string beside = dir + "/personas";
    if (access(beside.c_str(), R_OK) == 0) return beside;
    return QV_PERSONA_SOURCE_DIR;
}

Options parse(int argc, char** argv) {
    Options o;
    auto value = [&](int& i) -> const char* {
        if (i + 1 >= argc) fail(std::string(argv[i]) + " wants a value");
        return argv[++i];
    };
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--pty") o.pty = true;
        else if (a == "--link") o.link = value(i);
        else if (a == "--rfc2217") o.pty = false, o.tcpPort = static_cast<int>(number(value(i), "--rfc2217"));
        else if (a == "--persona") o.persona = value(i);
        else if (a == "--persona-dir") o.personaDir = value(i);
        else if (a == "--phonebook") {
            std::string err = o.book.addText(readFile(value(i)));
            if (!err.empty()) fail(std::string(argv[i]) + ": " + err);
        } else if (a == "--dial") {
            std::string err = o.book.add(dialOptionWords(value(i)));
            if (!err.empty()) fail("--dial " + std::string(argv[i]) + ": " + err);
        } else if (a == "--transcript") o.transcript = value(i);
        else if (a == "--speed") o.speed = number(value(i), "--speed");
        else if (a == "--dte-speed") o.config.dteSpeed = number(value(i), "--dte-speed");
        else if (a == "--dial-time") o.config.dialTimeMs = number(value(i), "--dial-time");
        else if (a == "--deaf") o.deaf = true;
        else if (a == "--error-on") o.errorOn.push_back(upperCase(value(i)));
        else if (a == "--fclass2-first") o.fclass2First = true;
        else if (a == "--drop-after") o.faults.dropAfterBytes = number(value(i), "--drop-after");
        else if (a == "--deaf-after") o.faults.deafAfterLines = number(value(i), "--deaf-after");
        else if (a == "--noise") o.faults.noise.push_back(noiseOption(value(i)));
        else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else {
            std::fputs(kUsage, stderr);
            fail("unknown option " + a);
        }
    }
    if (o.personaDir.empty()) o.personaDir = defaultPersonaDir();
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    Options o = parse(argc, argv);
    PersonaLoad load = loadPersona(o.personaDir, o.persona);
    if (!load.error.empty()) fail(load.error);
    Persona& p = load.persona;
    if (o.speed > 0) p.lineSpeed = o.speed;
    if (o.deaf) p.deaf = true;
    if (o.fclass2First) p.fclass2First = true;
    p.errorOn.insert(p.errorOn.end(), o.errorOn.begin(), o.errorOn.end());

    std::string error;
    std::unique_ptr<SerialLine> line = o.pty ? openPtyLine(o.link, error) : openComPortServer(o.tcpPort, error);
    if (!line) fail(error);

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    Micros start = monotonicMicros();
    Transcript transcript;
    if (!o.transcript.empty() && !transcript.open(o.transcript, start)) fail("cannot write " + o.transcript);
    transcript.event("persona " + p.name + " (" + p.model + ") on " + line->where());

    HayesModem modem(p);
    modem.setAnswerLimit(o.faults.deafAfterLines);
    Simulator sim(modem, o.book, *line, transcript, o.config, o.faults);
    // The one line a starter waits for: where the port is.
    std::printf("%s\n", line->where().c_str());
    std::fflush(stdout);
    sim.run(&g_stop);
    transcript.event("stopped");
    return 0;
}
