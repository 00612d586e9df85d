#ifndef PELLARIN_CONSOLE_OUTPUT_H_
#define PELLARIN_CONSOLE_OUTPUT_H_

#include <cstdint>
#include <ostream>
#include <string_view>

namespace pellarin {

// The console text of a run.  Every line ends with std::endl, so each one is
// on the screen as soon as it is complete; nothing here touches the stream's
// formatting state.

// Lines 1 to 7: an empty line, the banner, an empty line.
void WriteBanner(std::ostream& console);

// One measured length: " <figure> (window <length>)".
void WriteLengthLine(std::ostream& console, int32_t realtimeFactor,
                     int32_t length);

// The empty line that closes the per-length block.
void WriteClosingLine(std::ostream& console);

// The prompt, without a line end.
void WritePrompt(std::ostream& console);

// The message on standard error when the report cannot be written: the file
// name and the system's reason for `error_number`.
void WriteReportFailure(std::ostream& errors, std::string_view file_name,
                        int error_number);

}  // namespace pellarin

#endif  // PELLARIN_CONSOLE_OUTPUT_H_
