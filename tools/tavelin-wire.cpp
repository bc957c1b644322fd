// tavelin-wire: reads and writes the wire protocol on the command line.

#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "tools/WireCommands.h"
#include "tools/WireTypes.h"

namespace {

constexpr int kUsageError = 2;

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
        std::cerr << "error: " << result.error() << '\n';
        return 1;
    }
    std::cout << *result << '\n';
    return 0;
}

std::string readAll(std::istream& in) { return {std::istreambuf_iterator<char>(in), {}}; }

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
            std::cerr << "tavelin-wire: unknown type \"" << argv[2] << "\"\n";
            printUsage(std::cerr);
            return kUsageError;
        }
        return finish(type->reencode(readAll(std::cin)));
    }
    if (command == "apply-diff" && argc == 2) return finish(tavelin::wire::applyDiff(readAll(std::cin)));
    if (command == "describe" && argc == 2) return finish(tavelin::wire::describeError(readAll(std::cin)));
    printUsage(std::cerr);
    return kUsageError;
}
