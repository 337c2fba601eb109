// Telephone and business registration numbers written with dashes, and the digits of a text.

#include <gtest/gtest.h>

#include <string>

#include "platform/support/BusinessNumbers.h"
#include "platform/support/TextConv.h"

namespace {

TEST(BusinessNumbers, TelephoneNumbersTakeTheirKoreanForm) {
  const struct {
    const wchar_t* text;
    wchar_t extra;
    const wchar_t* formatted;  // null: not a telephone number, the text stays
  } cases[] = {
      {L"021234567", 0, L"02-123-4567"},
      {L"02 1234 5678", 0, L"02-1234-5678"},
      {L"0311234567", 0, L"031-123-4567"},
      {L"(010)1234.5678", 0, L"010-1234-5678"},
      {L"15881234", 0, L"1588-1234"},
      {L"010-1234-5678;021234567;", L';', L"010-1234-5678;02-123-4567"},
      {L"1234", 0, nullptr},
      {L"010-1234-567a", 0, nullptr},
      {L"", 0, nullptr},
      {L"010-1234-5678;12", L';', nullptr},
  };
  for (const auto& c : cases) {
    std::wstring out = L"untouched";
    const bool ok = GfxFormatTelNumber(c.text, c.extra, &out);
    EXPECT_EQ(ok, c.formatted != nullptr) << WideToUtf8(c.text);
    EXPECT_EQ(out, c.formatted ? c.formatted : L"untouched") << WideToUtf8(c.text);
  }
  std::wstring out;
  EXPECT_FALSE(GfxFormatTelNumber(L"01012345678", 0, &out, 12)) << "longer than the cell takes";
}

TEST(BusinessNumbers, BusinessNumbersAndDigits) {
  const struct {
    const wchar_t* text;
    const wchar_t* formatted;
  } cases[] = {
      {L"1234567890", L"123-45-67890"},
      {L"#123 45 67890", L"#123-45-67890"},
      {L"123456789", nullptr},
      {L"12#34567890", nullptr},
  };
  for (const auto& c : cases) {
    std::wstring out;
    EXPECT_EQ(GfxFormatBizRegNumber(c.text, L'#', &out), c.formatted != nullptr)
        << WideToUtf8(c.text);
    if (c.formatted) EXPECT_EQ(out, c.formatted);
  }
  EXPECT_EQ(StrGetNumberOnly(L"010-12 34/5678"), L"01012345678");
  EXPECT_EQ(StrGetNumberOnly(L"#123-45", L'#'), L"#12345");
  EXPECT_EQ(StrGetNumberOnly(L"#123-45"), L"12345");
}

}  // namespace
