#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <rapidjson/document.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>

#include "platform/support/CheckedNumber.h"
#include "platform/support/DateUtil.h"
#include "platform/support/Encoding.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"

namespace {

TEST(TextConv, KoreanRoundTripAndBoundedCopies) {
  const char* utf8 = "DB증권 삼성전자";
  const std::wstring w = Utf8ToWide(utf8);
  EXPECT_EQ(w, L"DB증권 삼성전자");
  EXPECT_EQ(WideToUtf8(w), utf8);
  wchar_t* heap = StrUTF8toWideChar(utf8);
  char* back = StrWideChar2UTF8(heap);
  EXPECT_STREQ(back, utf8);
  std::free(heap);
  std::free(back);
  EXPECT_EQ(StrUTF8toWideChar(nullptr), nullptr);

  // A multi-byte character is never split by a bounded copy.
  char out[6];
  StrSafeCopyFromWCHAR_A(out, sizeof out, L"AB증권");
  EXPECT_STREQ(out, "AB증");
  StrSafeCopyFromWCHAR_A(out, 0, L"xyz");  // size 0 writes nothing
  // Invalid and truncated sequences become U+FFFD.
  EXPECT_EQ(Utf8ToWide("a\xff"
                       "b\xe0\x80"),
            L"a\uFFFDb\uFFFD\uFFFD");
}

TEST(TextScan, BlocksAndNumbers) {
  const char* reply =
      "{\"rsp_cd\":\"00000\", \"price\": 12345.5 "
      ",\"amt\":\"12,345\",\"name\":\"a\\\"b\",\"obj\":{\"x\":{\"y\":1},"
      "\"s\":\"}\"},\"last\":7}";
  char buf[64];
  EXPECT_EQ(StrGetTextWithTextBlockA(reply, "\"rsp_cd\"", '"', '"', buf, sizeof buf), 5);
  EXPECT_STREQ(buf, "00000");
  StrGetTextWithTextBlockA(reply, "\"name\"", '"', '"', buf, sizeof buf);
  EXPECT_STREQ(buf, "a\\\"b");
  StrGetTextWithTextBlockA(reply, "\"obj\"", '{', '}', buf, sizeof buf);
  EXPECT_STREQ(buf, "{\"x\":{\"y\":1},\"s\":\"}\"}");
  StrGetTextWithTextBlockA(reply, "\"last\"", ':', ',', buf, sizeof buf);
  EXPECT_STREQ(buf, "7");
  EXPECT_EQ(StrGetTextWithTextBlockA(reply, "\"none\"", '"', '"', buf, sizeof buf), -1);
  EXPECT_STREQ(buf, "");
  char small[4];
  StrGetTextWithTextBlockA(reply, "\"rsp_cd\"", '"', '"', small, sizeof small);
  EXPECT_STREQ(small, "000");

  double d = 0;
  EXPECT_DOUBLE_EQ(StrGetNumDoubleWithTextBlockA(reply, "\"price\"", ':', ',', nullptr, 0, &d, -1),
                   12345.5);
  EXPECT_DOUBLE_EQ(d, 12345.5);
  EXPECT_EQ(StrGetNumIntWithTextBlockA(reply, "\"amt\"", '"', '"', nullptr, 0), 12345);
  EXPECT_DOUBLE_EQ(StrGetNumDoubleWithTextBlockA(reply, "\"nope\"", ':', ',', nullptr, 0, &d, -1),
                   -1);
  EXPECT_EQ(StrGetNumIntWithTextBlockA(reply, "\"rsp_cd\"", '"', '"', nullptr, 9), 0);
  EXPECT_EQ(StrGetNumIntWithTextBlockA(reply, "\"nope\"", '"', '"', nullptr, 9), 9);
  EXPECT_EQ(StrGetNumByteWithTextBlockA("{\"b\":300}", "\"b\"", ':', ',', nullptr, 4), 4);

  wchar_t wbuf[16];
  StrGetTextWithTextBlock(L"{\"nm\":\"삼성\"}", L"\"nm\"", L'"', L'"', wbuf, 16);
  EXPECT_STREQ(wbuf, L"삼성");
}

TEST(TextScan, AtoNAndTrims) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"  -1,234.5원", -1234.5}, {"+12", 12}, {"abc", 0}, {"", 0},
               {"1.5e3x", 1500},          {"7e", 7},   {",5", 0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(AtoN(c.text), c.value) << c.text;
  char t[] = "  \t hello world \r\n";
  EXPECT_STREQ(StrTrimA0(t), "hello world");
  char r[] = "a-b_c-d";
  EXPECT_EQ(StrReplaceCharOneOfA(r, "-_"), 4);
  EXPECT_STREQ(r, "abcd");
  std::wstring list;
  StrAppendCodeW(&list, L"005930", L';');
  StrAppendCodeW(&list, L"000660", L';');
  EXPECT_EQ(list, L"005930;000660;");
}

TEST(DateUtil, PackingAndParsing) {
  EXPECT_EQ(GfxYMDToDword(2024, 3, 9), 20240309u);
  int y, m, d;
  GfxYMDFromNumber(20240309, &y, &m, &d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240309);
  SYSTEMTIME t;
  ASSERT_EQ(Str2UniDateTimeA("2024-03-09T14:05:06.123+09:00", &t), 1);
  EXPECT_EQ(t.wYear, 2024);
  EXPECT_EQ(t.wMinute, 5);
  ASSERT_EQ(Str2UniDateTimeA("153000", &t), 1);
  EXPECT_EQ(t.wHour, 15);
  EXPECT_EQ(t.wYear, 2024);  // kept
  EXPECT_EQ(Str2UniDateTimeA("20241345", &t), 0);
  EXPECT_EQ(Str2UniDateTimeA("garbage", &t), 0);
  EXPECT_GT(GfxGetCurrentDateTimeInt64(), 20240000000000LL);
}

TEST(Encoding, Md5AndBase64) {
  char md5[33];
  EXPECT_STREQ(MD5EncodeText("abc", md5, sizeof md5), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(base64_encode("hello!?"), "aGVsbG8hPw==");
  std::string out;
  ASSERT_TRUE(base64_decode("aGVsbG8hPw==", &out));
  EXPECT_EQ(out, "hello!?");
  EXPECT_FALSE(base64_decode("abc", &out));
  EXPECT_FALSE(base64_decode("ab$=", &out));
  size_t n = 0;
  unsigned char* p = base64_decode_alloc("AAEC", &n);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(p[2], 2);
  std::free(p);
  EXPECT_EQ(Base64UrlEncode("\xfb\xff"), "-_8");
}

class JsonGetters : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.Parse(
        "{\"five\":5,\"s127\":\"12.7\",\"n127\":12.7,\"neg\":-12.7,\"nul\":null,\"t\":true,"
        "\"empty\":\"\",\"six\":\"abcdef\",\"arr\":[1],\"obj\":{},\"big\":3000000000,"
        "\"huge\":1e300,\"i64\":9007199254740993,\"sbig\":\"99999999999\",\"ko\":\"삼성\","
        "\"err\":1e99,\"sinf\":\"-1e999\",\"five\":6}");
    ASSERT_FALSE(doc.HasParseError());
  }
  rapidjson::Document doc;
};

TEST_F(JsonGetters, NumericTypeTable) {
  struct Case {
    const char* name;
    double d;
    int i;
    int64_t i64;
  } cases[] = {
      {"five", 5.0, 5, 5},  // first member of the name counts
      {"s127", 12.7, 12, 12},
      {"n127", 12.7, 12, 12},
      {"neg", -12.7, -12, -12},
      {"nul", -1.0, -1, -1},
      {"t", -1.0, -1, -1},
      {"missing", -1.0, -1, -1},
      {"arr", -1.0, -1, -1},
      {"big", 3e9, -1, 3000000000LL},  // does not fit 32 bits: the default
      {"huge", 1e300, -1, -1},
      {"sbig", 99999999999.0, -1, 99999999999LL},
      {"six", 0.0, 0, 0},  // text without digits
      {"err", 1e99, -1, -1},
      // Text no double holds is no number; the whole-number getters read its leading digits.
      {"sinf", -1.0, -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(JsonGetDouble(doc, c.name, -1.0), c.d) << c.name;
    EXPECT_EQ(JsonGetInt(doc, c.name, -1), c.i) << c.name;
    EXPECT_EQ(JsonGetInt64(doc, c.name, -1), c.i64) << c.name;
  }
  EXPECT_EQ(JsonGetInt64(doc, "i64", 0), 9007199254740992LL);  // through a double
}

TEST(CheckedNumber, WholeNumbersOnlyInsideTheTargetsRange) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double value;
    bool fitsInt, fitsByte, fitsInt64;
    int asInt;
  } cases[] = {
      {0.0, true, true, true, 0},
      {-0.9, true, true, true, 0},  // truncated toward zero
      {255.9, true, true, true, 255},
      {256.0, true, false, true, 256},
      {-1.0, true, false, true, -1},
      {2147483647.0, true, false, true, 2147483647},
      {2147483647.9, true, false, true, 2147483647},
      {2147483648.0, false, false, true, 0},
      {-2147483648.0, true, false, true, -2147483647 - 1},
      {-2147483649.0, false, false, true, 0},
      {9223372036854775808.0, false, false, false, 0},
      {-9223372036854775808.0, false, false, true, 0},
      {1e99, false, false, false, 0},
      {-1e300, false, false, false, 0},
      {inf, false, false, false, 0},
      {-inf, false, false, false, 0},
      {nan, false, false, false, 0},
  };
  for (const auto& c : cases) {
    int i = 7;
    uint8_t b = 7;
    int64_t l = 7;
    EXPECT_EQ(c.fitsInt, NumberToInt(c.value, &i)) << c.value;
    EXPECT_EQ(c.fitsByte, NumberToInt(c.value, &b)) << c.value;
    EXPECT_EQ(c.fitsInt64, NumberToInt(c.value, &l)) << c.value;
    EXPECT_EQ(c.fitsInt ? c.asInt : 7, i) << c.value;  // untouched when it does not fit
  }
  int hhmm = 0;
  EXPECT_TRUE(NumberToIntIn(2359.0, -2359, 2359, &hhmm));
  EXPECT_FALSE(NumberToIntIn(2400.0, -2359, 2359, &hhmm));
  EXPECT_EQ(2359, hhmm);

  int n = 0;
  EXPECT_TRUE(TextToInt(" -1,234.5", &n));
  EXPECT_EQ(-1234, n);
  EXPECT_FALSE(TextToInt("abc", &n));
  EXPECT_FALSE(TextToInt("1e999", &n));
  EXPECT_FALSE(TextToInt("99999999999", &n));
  // The text scanners answer their default for a number out of range.
  EXPECT_EQ(-5, StrGetNumIntWithTextBlockA("{\"err\":1e99}", "\"err\"", ':', ',', nullptr, -5));
  EXPECT_EQ(9, StrGetNumByteWithTextBlockA("{\"lv\":300}", "\"lv\"", ':', ',', nullptr, 9));
}

TEST_F(JsonGetters, StringsObjectsAndCopies) {
  unsigned len = 99;
  EXPECT_EQ(JsonGetString(doc, "empty", &len), nullptr);
  EXPECT_EQ(len, 0u);
  len = 99;
  EXPECT_EQ(JsonGetString(doc, "five", &len), nullptr);
  EXPECT_EQ(len, 0u);
  char* s = JsonGetString(doc, "six", &len);
  EXPECT_STREQ(s, "abcdef");
  EXPECT_EQ(len, 6u);
  std::free(s);

  int wlen = -7;
  wchar_t* w = JsonGetWString(doc, "empty", &wlen);
  ASSERT_NE(w, nullptr);
  EXPECT_STREQ(w, L"");
  EXPECT_EQ(wlen, 1);
  std::free(w);
  w = JsonGetWString(doc, "ko", &wlen);
  EXPECT_STREQ(w, L"삼성");
  EXPECT_EQ(wlen, 3);
  std::free(w);
  wlen = -7;
  EXPECT_EQ(JsonGetWString(doc, "five", &wlen), nullptr);
  EXPECT_EQ(wlen, -7);

  EXPECT_NE(JsonGetArray(doc, "arr"), nullptr);
  EXPECT_EQ(JsonGetObject(doc, "arr"), nullptr);
  EXPECT_NE(JsonGetObject(doc, "obj"), nullptr);
  EXPECT_EQ(JsonGetBool(doc, "t", 7), 1);
  EXPECT_EQ(JsonGetBool(doc, "five", 7), 7);
  EXPECT_STREQ(JsonGetStringPtr(doc, "six"), "abcdef");
  EXPECT_EQ(JsonGetStringPtr(doc, "arr"), nullptr);

  char buf[8] = "zzzzzzz";
  JsonCopyString(doc, "six", buf, 4);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(buf[4], 'z');
  JsonCopyString(doc, "arr", buf, sizeof buf);
  EXPECT_STREQ(buf, "");
  char untouched[4] = "xyz";
  JsonCopyString(doc, "six", untouched, 0);
  EXPECT_STREQ(untouched, "xyz");

  wchar_t wbuf[3];
  JsonCopyWString(doc, "ko", wbuf, 3, 0);
  EXPECT_STREQ(wbuf, L"삼성");
  JsonCopyWString(doc, "six", wbuf, 3, 1);
  EXPECT_STREQ(wbuf, L"ab");
  wchar_t one[1] = {L'q'};
  JsonCopyWString(doc, "ko", one, 1, 0);
  EXPECT_EQ(one[0], 0);
}

}  // namespace
