// tavelin-wire: reads and writes the wire protocol on the command line.

#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "tools/EscapedText.h"
#include "tools/WireCommands.h"
#include "tools/WireTypes.h"

namespace {

constexpr int kUsageError = 2;

// The protocol's largest frame: no message a device sends is longer.
constexpr std::size_t kMaxInputBytes = 4 * 1024 * 1024;

void printUsage(std::ostream& out) {
    out << "usage: tavelin-wire decode TYPE    read one JSON text on standard input, decode it as TYPE\n"
           "                                   and write it back in wire form\n"
           "                                   (decode Envelope also reads the payload as the record\n"
           "                                   its message type calls for)\n"
           "       tavelin-wire apply-diff     read {\"snapshot\":...,\"diff\":...} and write the result\n"
           "                                   (null when the diff does not fit the snapshot)\n"
           "       tavelin-wire describe       read a ProtocolError and write its description\n"
           "       tavelin-wire --help\n"
           "types:";
    for (const auto& type : tavelin::wire::wireTypes()) out << ' ' << type.name;
    out << '\n';
}

int finish(const std::expected<std::string, std::string>& result) {
    if (!result) {
        std::cerr << "error: " << tavelin::escapedText(result.error()) << '\n';
        return 1;
    }
    std::cout << *result << '\n';
    return 0;
}

// All of the input, or none when it is longer than a frame; what lies beyond the bound is not read.
std::optional<std::string> readInput(std::istream& in) {
    std::string text(kMaxInputBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxInputBytes) return std::nullopt;
    return text;
}

// Runs the command on the whole input.
int finishOnInput(std::expected<std::string, std::string> (*command)(std::string_view json)) {
    const auto input = readInput(std::cin);
    if (!input) {
        return finish(std::unexpected("the input is longer than the largest frame (" +
                                      std::to_string(kMaxInputBytes) + " bytes)"));
    }
    return finish(command(*input));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "--help" && argc == 2) {
        printUsage(std::cout);
        return 0;
    }
    if (command == "decode" && argc == 3) {
        const auto* type = tavelin::wire::findWireType(argv[2]);
        if (type == nullptr) {
            std::cerr << "tavelin-wire: unknown type \"" << tavelin::escapedText(argv[2]) << "\"\n";
            printUsage(std::cerr);
            return kUsageError;
        }
        return finishOnInput(type->reencode);
    }
    if (command == "apply-diff" && argc == 2) return finishOnInput(&tavelin::wire::applyDiff);
    if (command == "describe" && argc == 2) return finishOnInput(&tavelin::wire::describeError);
    printUsage(std::cerr);
    return kUsageError;
}
