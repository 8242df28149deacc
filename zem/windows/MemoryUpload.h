// The words an upload writes into the fixture: the listed addresses of a memory file's image, in blocks of
// up to four consecutive addresses, each block through the EEPROM-words area of FixtureData. The fixture
// window runs it with the model's block write; it knows nothing of windows itself.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

#include "zem/model/uZemFixture.h"

// True when the image holds the word of every listed address (and no address is negative): only then may
// an upload start, so that no word other than one taken from the file reaches the fixture.
[[nodiscard]] bool ImageHoldsAddresses(std::span<const uint8_t> image, const TAddressList& list);

// Writes the listed words of the image; an image that lacks one of them writes nothing and answers false.
// A block is a run of
// up to four list entries whose addresses follow each other without a gap; its words go into the
// EEPROM-words area, then writeBlock(first address, word count) writes them and answers how many it wrote
// (a writer that takes fewer leaves the rest for the next block). afterBlock(list index of the block,
// words written) follows every block. The first block that writes nothing ends the upload: false.
[[nodiscard]] bool UploadImageWords(std::span<const uint8_t> image, const TAddressList& list,
                                    const std::function<int(int address, int count)>& writeBlock,
                                    const std::function<void(size_t index, int written)>& afterBlock);
