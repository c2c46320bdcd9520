#pragma once

#include <optional>
#include <string>

#include "app/AutoStart.h"

// Remembers the entry instead of writing a desktop file.
class CFakeAutoStart final : public IAutoStart {
public:
    struct Entry {
        std::string strProgram;
        std::string strArguments;
    };

    bool Write(const std::string& strProgram, const std::string& strArguments) override {
        ++m_nWrites;
        m_entry = Entry{strProgram, strArguments};
        return true;
    }
    bool Remove() override {
        ++m_nRemoves;
        m_entry.reset();
        return true;
    }

    std::optional<Entry> m_entry;
    int m_nWrites = 0;
    int m_nRemoves = 0;
};
