#pragma once
// The one error object of the translator and the interpreter: a code that selects a fixed
// message, a detail text and the node concerned. Thrown by value, caught by reference.

#include "values/Codes.h"

#include <exception>
#include <string>

class CNode;

class CExeption : public std::exception {
public:
    CExeption(CNode* node, std::string text, int code);
    CExeption(const CExeption&) = default;
    CExeption& operator=(const CExeption&) = default;
    virtual ~CExeption();

    // The fixed Windows-1251 message of m_nCode, or null outside 0..22.
    virtual const char* ErrorMessage() const;
    // The message of the code ("" outside the table), so that a handler of any standard
    // exception still has the text.
    const char* what() const noexcept override;

    std::string m_strText;
    CNode* m_pNode;
    int m_nCode;
};

// The text of the exception being handled, for a handler that catches every type: what()
// of a standard exception, else a note that the type is unknown. Call only inside a handler.
std::string CaughtExceptionText();
