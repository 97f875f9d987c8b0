// The update flow's platform on Windows: the downloaded program held through one handle (hashed,
// renamed and started from it), the signature checked with the key built into this updater, and
// the programs' version resources.
#pragma once

#include <string>

#include "updater/update_flow.h"

namespace tf {

class WinUpdatePlatform final : public UpdatePlatform {
public:
    // `publicKeyHex`: x and y of the P-256 key, 128 hex digits.
    explicit WinUpdatePlatform(std::string publicKeyHex = TAMBORVIN_UPDATE_KEY) : key_(std::move(publicKeyHex)) {}

    std::unique_ptr<HeldProgram> Hold(const std::string& path, std::uint64_t maxSize) override;
    bool SignatureValid(const std::string& statement, const std::vector<std::uint8_t>& signature) override;
    std::optional<Version> ProgramVersion(const std::string& path) override;
    bool ProgramComplete(const std::string& path) override;
    Version OwnVersion() override;
    bool Link(const std::string& from, const std::string& to) override;

private:
    std::string key_;
};

}  // namespace tf
