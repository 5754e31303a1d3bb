// Splits one fuzzer input into the pieces a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace wendrel::fuzzing {

// Consumes numbers from the front and text pieces separated by a marker byte.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_rest(reinterpret_cast<const char*>(data), size) {}

    int TakeInt(int low, int high) {
        std::uint32_t raw = 0;
        const std::size_t n = std::min<std::size_t>(sizeof raw, m_rest.size());
        std::memcpy(&raw, m_rest.data(), n);
        m_rest.remove_prefix(n);
        const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low) + 1;
        return static_cast<int>(low + static_cast<std::int64_t>(raw % span));
    }

    // The next piece up to the marker; page text never holds a NUL, so a NUL
    // cuts the piece as a fetch cuts a page.
    std::string TakePiece(char marker = '\x01') {
        const auto end = m_rest.find(marker);
        std::string piece(m_rest.substr(0, end));
        m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
        return piece.substr(0, piece.find('\0'));
    }

    std::vector<std::string> TakeAllPieces(std::string_view marker) {
        std::vector<std::string> pieces;
        while (!m_rest.empty()) {
            const auto end = m_rest.find(marker);
            std::string piece(m_rest.substr(0, end));
            pieces.push_back(piece.substr(0, piece.find('\0')));
            m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size()
                                                               : end + marker.size());
        }
        return pieces;
    }

  private:
    std::string_view m_rest;
};

}  // namespace wendrel::fuzzing
