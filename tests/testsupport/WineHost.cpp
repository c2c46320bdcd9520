#include "WineHost.h"

#include <cstdio>
#include <iostream>
#include <mutex>

std::string AskWineHost(const std::string& strRequest) {
    static std::mutex s_mutex;  // one question and its answer at a time
    const std::lock_guard<std::mutex> lock(s_mutex);
    std::fflush(stdout);
    std::cout << "@@tactilo " << strRequest << std::endl;
    std::string strAnswer;
    if (!std::getline(std::cin, strAnswer)) {
        return {};
    }
    if (!strAnswer.empty() && strAnswer.back() == '\r') {
        strAnswer.pop_back();
    }
    return strAnswer;
}

bool WriteToCom5(const std::string& strHexBytes) {
    return AskWineHost("write " + strHexBytes) == "ok";
}
