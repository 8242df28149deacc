// What the model classes share beyond the base: the read-step runner of
// ReadAllFixtureData, service-function tables, the LED error list, the sub-device
// scan, and record text.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "zem/model/uZemFixture.h"

namespace modelsupport {

// One read of ReadAllFixtureData. An empty step only reports its progress position.
using ReadStep = std::function<bool()>;

// The reads a full read begins with on most models, in this order: required program version, lamp, clock,
// errors, personality.
std::vector<ReadStep> basicReadSteps(TZemFixture& fixture);

// The first steps of the chain models' full read: the main unit selected again (whatever the chain
// answers, the main unit's records follow), required program version, lamp, a position without a read,
// errors and personality.
std::vector<ReadStep> chainReadSteps(TZemFixture& fixture);

// Appends the steps to the list.
std::vector<ReadStep> operator+(std::vector<ReadStep> first, const std::vector<ReadStep>& then);

// The reads nearly every model's window shows after the fixture info, in the order they are read:
// required program version, lamp, clock, errors, personality, stand-alone settings, timers, sensor
// trigger, stand-alone program.
std::vector<ReadStep> standardReadSteps(TZemFixture& fixture);

// For each step k (counted from 1): progress (k, total), then the step; stops at the first step that
// fails and answers false. When every step succeeded and endPosition > 0: progress (endPosition, total).
// Positions never exceed total.
bool runReadSteps(const std::vector<ReadStep>& steps, int total, int endPosition,
                  const TProgressCallback& progress);

// No device: false at once. Otherwise ReadFixtureInfo, then runReadSteps.
bool readAllSteps(TZemFixture& fixture, const std::vector<ReadStep>& steps, int total, int endPosition,
                  const TProgressCallback& progress);

// Reports (position, maximum) with the position clamped into 0..maximum.
void reportProgress(const TProgressCallback& progress, int position, int maximum);

// A service function with its value.
struct ServiceCode {
  int function;
  int value;
};

// The seven stand-alone scene functions of a model, in the order of the scene operations.
struct SceneFunctions {
  ServiceCode previous;
  ServiceCode next;
  ServiceCode store;
  ServiceCode deleteAll;
  ServiceCode add;
  ServiceCode remove;
  ServiceCode insert;
};

// List entry of a stored byte in the colour-mixing windows: 0 below 15, then one entry per band of 20
// counted from 1 at 15 (15-34 give 1, ..., 215-234 give 11), and 12 for 235-255. Raises ERangeError for a
// value that is not a byte.
int byteToBandIndex(int value);

// The error list of the LED fixtures: named flags of error bytes 1 to 13 with one line per byte for the
// bits that have no name, numbered from 1, under the summary line. errorStatus is the 15-byte area.
TStringList ledErrorLines(std::span<const uint8_t> errorStatus);

// What one sub-device of a chain does while it is selected during the scan.
using SegmentVisit = std::function<void(int index)>;

// Scans the chain behind the main unit: selects sub-device 1, 2, ... (below 254) with a serial re-read
// until one does not answer, calling visit for each that answered; then selects the main unit again,
// stores the count as the segment count, re-reads the main unit's personality and marks the main unit as
// current. False (with the count still stored) when the main unit cannot be selected or its personality
// cannot be read again: the fixture may still be listening as the last segment.
bool scanSubDevices(TZemFixture& fixture, const SegmentVisit& visit, int& count);

// Bytes of FixtureData as text up to the first zero byte (at most size bytes).
std::string recordText(size_t offset, size_t size);
// The same text with only its printable characters (codes 32 to 126): fit for a title or a note.
std::string printableRecordText(size_t offset, size_t size);

}  // namespace modelsupport
