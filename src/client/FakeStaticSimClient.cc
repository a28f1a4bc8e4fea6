// A client whose reader is an in-memory design, for hosts without an engine.
#include "orvex/FakeDataReader.h"
#include "tavrin/SimClient.h"

namespace Tavrin {

FakeStaticSimClient::FakeStaticSimClient() : reader_(new FakeDataReader) {}

FakeStaticSimClient::~FakeStaticSimClient() { delete reader_; }

IReader* FakeStaticSimClient::getReader() const { return reader_; }

} // namespace Tavrin
