// Writing secrets as asterisks.
#include "install/record/redaction.h"

namespace install {

namespace {

const std::wstring asterisks = L"********";

}  // namespace

Redaction::Redaction(std::vector<std::wstring> secrets) : secrets_(std::move(secrets))
{
    std::erase_if(secrets_, [](const std::wstring& secret) { return secret.empty(); });
}

void Redaction::add(std::wstring secret)
{
    if (!secret.empty())
        secrets_.push_back(std::move(secret));
}

std::wstring Redaction::operator()(std::wstring text) const
{
    for (const std::wstring& secret : secrets_)
        for (size_t at = text.find(secret); at != std::wstring::npos; at = text.find(secret, at + asterisks.size()))
            text.replace(at, secret.size(), asterisks);
    return text;
}

}  // namespace install
