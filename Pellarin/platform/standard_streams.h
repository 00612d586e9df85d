#ifndef PELLARIN_PLATFORM_STANDARD_STREAMS_H_
#define PELLARIN_PLATFORM_STANDARD_STREAMS_H_

namespace pellarin::platform {

// Makes console write failures harmless: a write to a pipe whose reader has
// gone fails instead of ending the process, and a standard stream that was
// closed at start is reopened on the null device, so the report file can
// never be given its descriptor and receive console text.
void PrepareStandardStreams();

}  // namespace pellarin::platform

#endif  // PELLARIN_PLATFORM_STANDARD_STREAMS_H_
