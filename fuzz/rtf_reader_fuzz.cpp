// Any help file: the RTF reader returns, and what it reads is no longer than the file.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "desktop/rtf_reader.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const norvane::RtfDocument document = norvane::ReadRtf(bytes);
  FUZZ_CHECK(document.plainText().size() <= qsizetype(size) + document.paragraphs.size());
  return 0;
}
