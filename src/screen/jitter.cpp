// The jitter tables.
#include "screen/jitter.h"

namespace {

constexpr JitterOffset kJitter0[] = {{0.0, 0.0}};
constexpr JitterOffset kJitter2[] = {{0.24649, 0.249999}, {-0.24649, -0.249999}};
constexpr JitterOffset kJitter3[] = {{-0.373411, -0.25055}, {0.256263, 0.368119}, {0.117148, -0.11757}};
constexpr JitterOffset kJitter4[] = {
    {-0.208147, 0.35373}, {0.203849, -0.35378}, {-0.292626, -0.149945}, {0.296924, 0.149994}};
constexpr JitterOffset kJitter8[] = {
    {-0.334818, 0.435331}, {0.286438, -0.393495}, {0.459462, 0.14154},  {-0.414498, -0.192829},
    {-0.18379, 0.082102},  {-0.079263, -0.317383}, {0.102254, 0.299133}, {0.164216, -0.054399}};
constexpr JitterOffset kJitter16[] = {
    {0.0, 0.0},           {0.285561, 0.188437},   {0.360176, -0.065688}, {-0.111751, 0.275019},
    {-0.055918, -0.215197}, {-0.080231, -0.470965}, {0.138721, 0.409168},  {0.38412, 0.4585},
    {-0.454968, 0.134088}, {0.179271, -0.331196},  {-0.307049, -0.364927}, {0.105354, -0.010099},
    {-0.15418, 0.021794},  {-0.370135, -0.116425}, {0.451636, -0.300013}, {-0.37061, 0.387504}};

}  // namespace

const JitterOffset* jitterTable(s32 sampleCount, s32* pEntries) {
  const JitterOffset* table = nullptr;
  s32 entries = 0;
  switch (sampleCount) {
    case 0: table = kJitter0; entries = 1; break;
    case 2: table = kJitter2; entries = 2; break;
    case 3: table = kJitter3; entries = 3; break;
    case 4: table = kJitter4; entries = 4; break;
    case 8: table = kJitter8; entries = 8; break;
    case 16: table = kJitter16; entries = 16; break;
    default: break;
  }
  if (pEntries) {
    *pEntries = entries;
  }
  return table;
}
