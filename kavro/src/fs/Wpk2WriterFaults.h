#pragma once

// Test seam of Wpk2Writer: makes the cipher or the random source fail, so tests can show that the writer
// reports it and writes nothing. Never set outside tests.
namespace Kavro::Wpk2WriterFaults
{

void failCipher(bool fail);
void failRandom(bool fail);
bool cipherFails();
bool randomFails();

} // namespace Kavro::Wpk2WriterFaults
