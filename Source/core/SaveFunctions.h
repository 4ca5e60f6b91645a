#pragma once

#include <string>

namespace Kavro
{
class CRandom;
}

namespace Orvane
{

class CFile;

// A string record: u32 n = length + 1, then the string and its NUL. 1 on success, 0 when a write fails.
int SaveString(CFile& file, const std::string& s);
// Reads a string record; s becomes its bytes up to the first NUL. 0 when the record is short, its
// length is 0 or exceeds what remains of the file (nothing is allocated then); s is unchanged on failure.
int LoadString(CFile& file, std::string& s);
// u32 draw counter, u32 state size, then the state bytes. 1 on success; 0 when the generator hands
// out no state (only the two words are written) or a write fails.
int SaveRandomState(CFile& file, const Kavro::CRandom& random);
// Sets the counter at once; 0 when a read is short or the stored size is not the generator's own
// (the state bytes are then left unread); otherwise what setting the state returns.
int LoadRandomState(CFile& file, Kavro::CRandom& random);

} // namespace Orvane
