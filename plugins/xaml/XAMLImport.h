#pragma once
// CXAMLImport: a plotter command file (text records ended by "*", with the letter codes D, G, X
// and Y as photoplotters read them) drawn into the drawing as polylines on a new layer "XAML":
// D01 draws from the current point, D02 moves, G54 starts afresh, and a record of coordinates
// alone goes on with the line being drawn.
#include <string>
#include <vector>
#include "XAMLExport.h"
#include "common/VImporter.h"

// One record of a plotter file.
struct PlotRecord {
    // A coordinate that the record does not give.
    static constexpr float kNotGiven = 10000.0f;

    std::string text;  // the record without its asterisk
    int D = 0;         // 0: none (or more than two digits)
    int G = 0;
    float X = kNotGiven;
    float Y = kNotGiven;

    // The codes of one record's text: a capital letter, blanks, then a number (digits and points
    // with an optional sign in front); D and G of more than two digits and X and Y of more than
    // 14 characters count as not given; X and Y keep the whole part of their number.
    static PlotRecord Parse(const std::string& text);
};

class XAML_PLUGIN_CLASS CXAMLImport : public CVImporter
{
public:
    CXAMLImport(IYVEXControlPtr control, void* user, ProgressCallback callback);
    CXAMLImport(IYVEXControlPtr control, const CProgressNotifier& notifier);
    ~CXAMLImport() override = default;

    // TRUE when the file was read and drawn; FALSE without a control or when the file cannot be
    // opened (nothing is added then).
    int Import(const CString& path, unsigned long, unsigned long) override;

    // The records of a file, whatever their length and however the reads cut them; false when
    // the file cannot be opened.
    static bool ReadRecords(const wchar_t* path, std::vector<PlotRecord>& records);

    const std::vector<PlotRecord>& GetRecords() const { return m_records; }

private:
    std::vector<PlotRecord> m_records;
    int m_reset = 0;
    float m_x = 0;
    float m_y = 0;
};
