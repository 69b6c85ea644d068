#include "memory_report.h"

#include <cstdio>

namespace ecf::fiscaldata {

namespace {

// How a field of a record is written: prefix, the field up to its first
// NUL, suffix. One format per field of the record, in the record's order.
struct FieldFormat {
    const char* prefix;
    const char* suffix;
};

// Owner record: "%s    " x3, "%s        ", "%s    ", "%s\n".
constexpr FieldFormat kOwnerLine[] = {
    {"", "    "},          // cgc
    {"", "    "},          // ie
    {"", "    "},          // start_date
    {"", "        "},      // start_time
    {"", "    "},          // end_date
    {"", "\n"},            // end_time
};

// Reduction record: "   %s     ", "%s  ", "    %s  ", " %s  ", "%s  \n".
constexpr FieldFormat kReductionLine[] = {
    {"   ", "     "},      // number
    {"", "  "},            // restart
    {"    ", "  "},        // date
    {" ", "  "},           // time
    {"", "  \n"},          // total
};

constexpr std::size_t kOwnerLineLength = 83;
constexpr std::size_t kReductionLineLength = 62;

// Text whose LF bytes go out as CR LF.
class ReportText {
public:
    explicit ReportText(std::size_t expected) { out_.reserve(expected); }

    void text(const char* s) {
        for (; *s != '\0'; ++s) put(static_cast<uint8_t>(*s));
    }
    void field(const uint8_t* bytes, std::size_t width) {
        for (std::size_t i = 0; i < width && bytes[i] != 0; ++i) put(bytes[i]);
    }
    template <std::size_t N>
    void record(const uint8_t* bytes, const ReplyField (&fields)[N],
                const FieldFormat (&line)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            text(line[i].prefix);
            field(bytes + fields[i].position, fields[i].width);
            text(line[i].suffix);
        }
    }
    std::string take() { return std::move(out_); }

private:
    void put(uint8_t c) {
        if (c == '\n') out_.push_back('\r');
        out_.push_back(static_cast<char>(c));
    }
    std::string out_;
};

// How many records of `size` bytes from `at` lie wholly inside the reply.
std::size_t recordsInside(int64_t count, std::size_t at, std::size_t size, std::size_t length) {
    if (count <= 0 || at >= length) return 0;
    const std::size_t fit = (length - at) / size;
    return static_cast<uint64_t>(count) < fit ? static_cast<std::size_t>(count) : fit;
}

}  // namespace

std::string memoryReport(const MemoryCounts& counts, const uint8_t* reply, std::size_t length) {
    const std::size_t owners = recordsInside(counts.owners, kOwnersAt, kOwnerRecord, length);
    const std::size_t reductionsStart = reductionsAt(counts.owners > 0 ? counts.owners : 0);
    const std::size_t reductions =
        recordsInside(counts.reductions, reductionsStart, kReductionRecord, length);

    ReportText report(512 + owners * (kOwnerLineLength + 1) +
                      reductions * (kReductionLineLength + 1));
    report.text("# **RELATORIO DA LEITURA DA MEMORIA FISCAL**\n");
    report.text("\n# Relacao dos proprietarios anteriores\n\n");
    char countLine[96];
    std::snprintf(countLine, sizeof countLine, "#Numero de usuarios = %lld. Total de %lld registros\n\n",
                  static_cast<long long>(counts.owners), static_cast<long long>(counts.reductions));
    report.text(countLine);
    report.text("#\tCGC\t\tIE\t\t Data e hora de Inicio    Data e hora de Termino\n\n");
    for (std::size_t i = 0; i < owners; ++i)
        report.record(reply + kOwnersAt + i * kOwnerRecord, kOwnerFields, kOwnerLine);
    report.text("\n# Relacao das Reducoes\n");
    report.text("# Reducao   Reinicio  Data\t Hora\tTotal\n\n");
    for (std::size_t i = 0; i < reductions; ++i)
        report.record(reply + reductionsStart + i * kReductionRecord, kReductionFields,
                      kReductionLine);
    return report.take();
}

}  // namespace ecf::fiscaldata
