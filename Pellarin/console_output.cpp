#include "console_output.h"

#include <cstring>

namespace pellarin {

namespace {

constexpr std::string_view kRule =
    " ================================================";

}  // namespace

void WriteBanner(std::ostream& console) {
  console << std::endl;
  console << kRule << std::endl;
  console << " = Pellarin (44100 kHz, Stereo), (c) 2026 Pellarin developers"
          << std::endl;
  console << kRule << std::endl;
  console << " Data windows: from 4 to 262144 (Nuttall tap.w.)" << std::endl;
  console << " Realtime perfomance meter..." << std::endl;
  console << std::endl;
}

void WriteLengthLine(std::ostream& console, int32_t realtimeFactor,
                     int32_t length) {
  console << ' ' << realtimeFactor << " (window " << length << ')' << std::endl;
}

void WriteClosingLine(std::ostream& console) { console << std::endl; }

void WritePrompt(std::ostream& console) {
  console << " Press any key to continue...";
}

void WriteReportFailure(std::ostream& errors, std::string_view file_name,
                        int error_number) {
  errors << "Pellarin: cannot write the report \"" << file_name
         << "\": " << std::strerror(error_number) << std::endl;
}

}  // namespace pellarin
