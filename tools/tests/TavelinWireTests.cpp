#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tools/tests/ProgramRun.h"

namespace {

using tavelin::slurp;

// Runs the built tavelin-wire with `input` on standard input.
tavelin::ProgramRun runWire(const std::string& arguments, const std::string& input) {
    const auto dir = std::filesystem::temp_directory_path() / ("tavelin-wire-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto run = tavelin::runProgram(std::string(TAVELIN_WIRE_PATH) + " " + arguments, input, dir);
    std::filesystem::remove_all(dir);
    return run;
}

TEST(TavelinWire, DecodeWritesTheRecordInWireForm) {
    const auto run = runWire("decode DockSeparator",
                             R"({ "kind": "spacer", "dockIndex": 2.0, "region": "fixedApps", "separatorID": "a/b", "x": 1 })");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "{\"separatorID\":\"a\\/b\",\"region\":\"fixedApps\",\"dockIndex\":2,\"kind\":\"spacer\"}\n");
    EXPECT_EQ(run.err, "");
}

TEST(TavelinWire, DecodeOfTheBundledSnapshotConvertsItsOffsetToUtc) {
    const auto run = runWire("decode DockSnapshot", slurp(std::string(TAVELIN_EXAMPLES_DIR) + "/wire/dock-snapshot.json"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(R"("generatedAt":"2026-12-07T00:30:00Z")"), std::string::npos);
    EXPECT_NE(run.out.find(R"("needsAttention":false)"), std::string::npos);
}

TEST(TavelinWire, DecodingErrorsGoToStandardErrorWithStatusOne) {
    const auto run = runWire("decode DockSeparator", R"({"separatorID":"s","region":"dock","dockIndex":1,"kind":"spacer"})");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "error: DockSeparator.region: no case \"dock\"\n");
    EXPECT_EQ(runWire("decode FolderChild", "not json").status, 1);
}

TEST(TavelinWire, UsageErrors) {
    EXPECT_EQ(runWire("decode NoSuchRecord", "{}").status, 2);
    EXPECT_EQ(runWire("", "").status, 2);
    const auto help = runWire("--help", "");
    EXPECT_EQ(help.status, 0);
    for (const auto* type : {"DockItem", "DockSeparator", "DockSnapshot", "DockDiff", "FolderSnapshot", "FolderChild",
                             "ProtocolError", "Command", "WindowListSnapshot", "HelloAck", "PairReject",
                             "AnyEnvelope", "Envelope"}) {
        EXPECT_NE(help.out.find(type), std::string::npos) << type;
    }
}

TEST(TavelinWire, ApplyDiff) {
    const auto run = runWire("apply-diff", slurp(std::string(TAVELIN_EXAMPLES_DIR) + "/wire/apply-diff.json"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(R"("dockGeneration":4)"), std::string::npos);
    EXPECT_EQ(run.out.find(R"("itemID":"A")"), std::string::npos);
    EXPECT_NE(run.out.find(R"("itemID":"B")"), std::string::npos);

    auto stale = slurp(std::string(TAVELIN_EXAMPLES_DIR) + "/wire/apply-diff.json");
    stale.replace(stale.find(R"("fromGeneration": 3)"), 19, R"("fromGeneration": 2)");
    const auto refused = runWire("apply-diff", stale);
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.out, "null\n");
}

TEST(TavelinWire, DecodeEnvelopeReadsEveryMessageType) {
    // The fuzzer's sample inputs hold one valid message of every type.
    std::set<std::string> types;
    for (const auto& entry : std::filesystem::directory_iterator(TAVELIN_ENVELOPE_CORPUS_DIR)) {
        const auto run = runWire("decode Envelope", slurp(entry.path()));
        ASSERT_EQ(run.status, 0) << entry.path() << ": " << run.err;
        // The output is in wire form already: decoding it again changes nothing.
        EXPECT_EQ(runWire("decode Envelope", run.out).out, run.out) << entry.path();
        const auto start = run.out.find(R"("messageType":")") + 15;
        types.insert(run.out.substr(start, run.out.find('"', start) - start));
    }
    EXPECT_EQ(types.size(), 29u);
}

TEST(TavelinWire, DecodeEnvelopeRefusesUnknownTypesAndPayloadsThatDoNotFit) {
    const auto unknown = runWire("decode Envelope", R"({"protocolVersion":1,"messageType":"dock.Snapshot","requestID":"R"})");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "error: Envelope.messageType: unknown message type \"dock.Snapshot\"\n");

    // A payload's error has the path from the envelope, as it has in an envelope read whole.
    const auto misfit = runWire(
        "decode Envelope", R"({"protocolVersion":1,"messageType":"error","requestID":"R","payload":{}})");
    EXPECT_EQ(misfit.status, 1);
    EXPECT_EQ(misfit.err, "error: Envelope.payload: Invalid number of keys found, expected one.\n");

    // Messages that carry nothing read without a payload.
    const auto ping = runWire("decode Envelope", R"({"protocolVersion":1,"messageType":"ping","requestID":"R"})");
    EXPECT_EQ(ping.status, 0);
    EXPECT_EQ(ping.out, "{\"protocolVersion\":1,\"messageType\":\"ping\",\"requestID\":\"R\",\"payload\":{}}\n");
}

// No message is longer than the protocol's largest frame, 4 MiB.
TEST(TavelinWire, InputLongerThanTheLargestFrameIsRefused) {
    const std::string frame = "\"" + std::string(4 * 1024 * 1024 - 2, 'a') + "\"";
    const auto largest = runWire("decode JSONValue", frame);
    EXPECT_EQ(largest.status, 0) << largest.err;
    EXPECT_EQ(largest.out.size(), frame.size() + 1);

    const auto longer = runWire("decode JSONValue", frame + " ");
    EXPECT_EQ(longer.status, 1);
    EXPECT_EQ(longer.out, "");
    EXPECT_EQ(longer.err, "error: the input is longer than the largest frame (4194304 bytes)\n");
}

TEST(TavelinWire, DecodeAnyEnvelopeWritesHeaderAndPayload) {
    const auto run = runWire("decode AnyEnvelope",
                             R"({"payload":{"b":1.0,"a":[null]},"requestID":"R","messageType":"x","protocolVersion":1,"z":0})");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "{\"protocolVersion\":1,\"messageType\":\"x\",\"requestID\":\"R\",\"payload\":{\"a\":[null],\"b\":1}}\n");
    EXPECT_EQ(runWire("decode AnyEnvelope", R"({"messageType":"x","requestID":"R"})").status, 1);
}

TEST(TavelinWire, DescribeWritesTheErrorsDescription) {
    const auto run = runWire("describe", R"({"permissionDenied":{"kind":"accessibility"}})");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Permission denied: accessibility\n");
    EXPECT_EQ(runWire("describe", R"({"codeMismatch":{"attemptsLeft":2}})").out, "Code mismatch (2 left)\n");
    const auto bad = runWire("describe", R"({"revoked":{},"notFound":{}})");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "error: ProtocolError: Invalid number of keys found, expected one.\n");
}

}  // namespace
