#include "MicroSupport.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace bench {

// The scanner reads files only, so the text goes through a temporary file.
CProgram::CProgram(const std::string& text) {
    char path[] = "/tmp/tirvane-microbench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        throw std::runtime_error("no temporary file for the benchmark program");
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    const bool translated = written && m_parser.Translate(path, &m_pModule);
    std::remove(path);
    if (!translated || m_pModule == nullptr)
        throw std::runtime_error("the benchmark program does not translate");
}

CNode* CProgram::Function(const std::string& name) const {
    auto it = m_pModule->named.find(name);
    if (it == m_pModule->named.end() || it->second == nullptr)
        throw std::runtime_error("no function " + name + " in the benchmark program");
    return it->second;
}

} // namespace bench
