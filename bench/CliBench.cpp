// A plain timer driver for the command-line figures: zel as a user runs it,
// on generated inputs (random accounts at random real bank codes; a DTAUS
// file of a million payments, most of them with a wrong account). Prints
// wall time and peak memory of each run, the best of three.
//
//   cli_bench [LINES]     (default 1,000,000)
//
// Beside another checker, run one after the other (medians of 31
// alternating runs, and the ratio):
//   ZEL_BENCH_PEER_SINGLE='CMD BLZ ACCOUNT'   one check as a whole process
//   ZEL_BENCH_PEER_BATCH='CMD ... {}'         the generated lines ({} is the
//                                             file's path; also on stdin)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Proxies.h"
#include "ZelPackage.h"

namespace {

namespace fs = std::filesystem;

struct Run {
  double seconds;
  long peakKb;
};

// Runs a program with the arguments, standard input from a file (or none),
// output to /dev/null; wall time and the child's peak resident memory.
Run TimeProgram(const char* program, const std::vector<std::string>& args,
                const std::string& input) {
  std::vector<char*> argv{const_cast<char*>(program)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, input.empty() ? "/dev/null" : input.c_str(), O_RDONLY,
                                   0);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  ::posix_spawnp(&pid, program, &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  int status = 0;
  rusage u{};
  ::wait4(pid, &status, 0, &u);
  const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
  return {d.count(), u.ru_maxrss};
}

Run Time(const std::vector<std::string>& args, const std::string& input) {
  return TimeProgram(ZEL_CLI_PATH, args, input);
}

// A command line split at blanks, "{}" replaced by the file.
std::vector<std::string> Words(const std::string& line, const std::string& file) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w == "{}" ? file : w);
  return words;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// zel and the peer's command in turns; their medians and the ratio.
void SideBySide(const char* what, const std::vector<std::string>& zelArgs, const char* peerLine,
                const std::string& input) {
  const std::vector<std::string> peer = Words(peerLine, input);
  if (peer.empty()) return;
  const std::vector<std::string> peerArgs(peer.begin() + 1, peer.end());
  std::vector<double> ours, theirs;
  for (int i = 0; i < 31; ++i) {
    ours.push_back(Time(zelArgs, input).seconds);
    theirs.push_back(TimeProgram(peer[0].c_str(), peerArgs, input).seconds);
  }
  const double a = Median(ours), b = Median(theirs);
  std::printf("%-44s zel %.4f s, %s %.4f s: %.2f x\n", what, a, peer[0].c_str(), b, a / b);
}

Run Best(const std::vector<std::string>& args, const std::string& input, int times = 3) {
  Run best{1e9, 0};
  for (int i = 0; i < times; ++i) {
    const Run r = Time(args, input);
    if (r.seconds < best.seconds) best = r;
  }
  return best;
}

void Print(const char* what, const Run& r, long items) {
  std::printf("%-44s %9.3f s %8ld KB", what, r.seconds, r.peakKb);
  if (items > 0) std::printf("  %8.0f k/s", static_cast<double>(items) / r.seconds / 1000);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
  auto probe = zel::TProxyZelProbeObject::Create("ZelProbeObject");
  auto dtaus = zel::TProxyZelDtausObject::Create("ZelDtausObject");
  if (!probe || !dtaus) {
    std::fprintf(stderr, "Es ist keine Datendatei geladen!\n");
    return 2;
  }
  const fs::path dir = fs::temp_directory_path() / ("zel_cli_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::vector<std::string> codes;
  for (std::string c = probe->GetFirstBank(); !c.empty(); c = probe->GetNextBank())
    codes.push_back(c);
  std::mt19937_64 rng(4711);
  const std::string list = (dir / "lines.txt").string();
  {
    std::ofstream out(list);
    for (long i = 0; i < lines; ++i)
      out << codes[rng() % codes.size()] << ' ' << rng() % 9999999999 + 1 << '\n';
  }
  // About 72 % of random accounts fail their bank's check.
  const std::string dta = (dir / "payments.dta").string();
  dtaus->CreateFile(dta, "37040044", "532013000", "Bench", "1", 1, 0, 0);
  for (long i = 0; i < lines; ++i)
    dtaus->WriteFile(codes[rng() % codes.size()], std::to_string(rng() % 9999999999 + 1), "Name",
                     "Zweck", "1", 51, 0, 10000);
  if (dtaus->CloseFile() != 0) {
    std::fprintf(stderr, "DTAUS: %s\n", dtaus->GetLastError().c_str());
    return 2;
  }

  // 100,000 bookings in statements of 100 each.
  constexpr int kBookings = 100000;
  const std::string sta = (dir / "statements.sta").string();
  {
    std::ofstream out(sta);
    for (int s = 0; s < kBookings / 100; ++s) {
      out << ":20:STARTUMS\n:25:10020030/1234567\n:28C:" << s + 1 << "/1\n:60F:C130101EUR100,00\n";
      for (int b = 0; b < 100; ++b)
        out << ":61:1301020102DR12,50NTRFNONREF\n:86:166?00GUTSCHRIFT?100599?20RE 4711 Zeile " << b
            << "?30DEUTDEFF?310000123456?32MUELLER\n";
      out << ":62F:D130102EUR1150,00\n-\n";
    }
  }
  // 100,000 camt entries in day statements of 100 each, in one document.
  const std::string camt = (dir / "statements.xml").string();
  {
    std::ofstream out(camt);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document xmlns=\"urn:iso:std:iso:20022:"
           "tech:xsd:camt.053.001.08\"><BkToCstmrStmt><GrpHdr><MsgId>B</MsgId><CreDtTm>"
           "2026-11-04T06:00:00</CreDtTm></GrpHdr>\n";
    for (int s = 0; s < kBookings / 100; ++s) {
      out << "<Stmt><Id>S" << s << "</Id><LglSeqNb>" << s + 1
          << "</LglSeqNb><CreDtTm>2026-11-04T06:00:00</CreDtTm><Acct><Id><IBAN>"
             "DE89370400440532013000</IBAN></Id></Acct>"
             "<Bal><Tp><CdOrPrtry><Cd>PRCD</Cd></CdOrPrtry></Tp><Amt Ccy=\"EUR\">100.00</Amt>"
             "<CdtDbtInd>CRDT</CdtDbtInd><Dt><Dt>2026-11-02</Dt></Dt></Bal>"
             "<Bal><Tp><CdOrPrtry><Cd>CLBD</Cd></CdOrPrtry></Tp><Amt Ccy=\"EUR\">1350.00</Amt>"
             "<CdtDbtInd>CRDT</CdtDbtInd><Dt><Dt>2026-11-03</Dt></Dt></Bal>\n";
      for (int b = 0; b < 100; ++b)
        out << "<Ntry><Amt Ccy=\"EUR\">12.50</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts><Cd>BOOK</Cd>"
               "</Sts><BookgDt><Dt>2026-11-03</Dt></BookgDt><ValDt><Dt>2026-11-03</Dt></ValDt>"
               "<BkTxCd><Prtry><Cd>NTRF+166+931</Cd></Prtry></BkTxCd><NtryDtls><TxDtls>"
               "<Amt Ccy=\"EUR\">12.50</Amt><RltdPties><Dbtr><Pty><Nm>Erika Müller</Nm></Pty>"
               "</Dbtr><DbtrAcct><Id><IBAN>DE02120300000000202051</IBAN></Id></DbtrAcct>"
               "</RltdPties><RmtInf><Ustrd>RE 4711 Zeile "
            << b << "</Ustrd></RmtInf></TxDtls></NtryDtls><AddtlNtryInf>GUTSCHRIFT"
            << "</AddtlNtryInf></Ntry>\n";
      out << "</Stmt>\n";
    }
    out << "</BkToCstmrStmt></Document>\n";
  }
  const std::string csv = (dir / "konten.csv").string();
  {
    std::ifstream in(list);
    std::ofstream out(csv);
    for (std::string blz, account; in >> blz >> account;) out << blz << ',' << account << '\n';
  }
  // Each import into a new database: every statement is checked for being
  // there already, as in a first import.
  const auto import = [&](const char* what, const std::string& file) {
    const std::string sqlite = (dir / (std::string(what) + ".sqlite")).string();
    Time({"statements", "init-db", sqlite}, "");
    return Time({"statements", "import", "--db", sqlite, file}, "");
  };
  std::printf("%ld lines / payments; zel: %s\n", lines, ZEL_CLI_PATH);
  Print("zel statements import --db MT940 (100,000)", import("mt940", sta), kBookings);
  Print("zel statements import --db camt (100,000)", import("camt", camt), kBookings);
  // A PostgreSQL data source when one is named (ZEL_BENCH_DSN, ZEL_BENCH_DSN_USER).
  if (const char* dsn = std::getenv("ZEL_BENCH_DSN")) {
    const char* user = std::getenv("ZEL_BENCH_DSN_USER");
    Time({"statements", "init-db", "--dsn", dsn, "--user", user ? user : ""}, "");
    Print("zel statements import --dsn (100,000)",
          Time({"statements", "import", "--dsn", dsn, "--user", user ? user : "", sta}, ""),
          kBookings);
  }
  // Every core against one, side by side.
  Print("zel check - (stdin)", Best({"check", "-"}, list), lines);
  Print("zel check - --jobs 1", Best({"check", "-", "--jobs", "1"}, list), lines);
  Print("zel check --file", Best({"check", "--file", list}, ""), lines);
  Print("zel iban -", Best({"iban", "-"}, list), lines);
  Print("zel dtaus check", Best({"dtaus", "check", dta}, ""), lines);
  Print("zel csv (report)", Best({"csv", csv, "--blz-col", "1", "--kto-col", "2"}, ""), lines);
  Print("zel csv --append", Best({"csv", csv, "--blz-col", "1", "--kto-col", "2", "--append"}, ""),
        lines);
  Print("zel csv --append --jobs 1",
        Best({"csv", csv, "--blz-col", "1", "--kto-col", "2", "--append", "--jobs", "1"}, ""),
        lines);
  Run single{0, 0};
  constexpr int kSingle = 50;
  for (int i = 0; i < kSingle; ++i) {
    const Run r = Time({"check", "37040044", "532013000"}, "");
    single.seconds += r.seconds / kSingle;
    single.peakKb = r.peakKb;
  }
  Print("one zel check BLZ ACCOUNT (mean of 50)", single, 0);
  if (const char* peer = std::getenv("ZEL_BENCH_PEER_SINGLE"))
    SideBySide("one check, beside the peer", {"check", "37040044", "532013000"}, peer, "");
  if (const char* peer = std::getenv("ZEL_BENCH_PEER_BATCH"))
    SideBySide("the lines, beside the peer", {"check", "-"}, peer, list);
  if (!std::getenv("ZEL_BENCH_KEEP")) fs::remove_all(dir);
  return 0;
}
