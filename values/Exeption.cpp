#include "values/Exeption.h"

#include "output/Encoding.h"

#include <array>
#include <utility>

namespace {

// Indexed by code; codes that are never raised keep their place so that no other error
// can take their number.
constexpr std::array<const char8_t*, kExeptionCodeCount> kMessages = {
    u8"No Error!",
    u8"Неопознанная синтаксическая ошибка",
    u8"Пропущена точка с запятой \";\"",
    u8"Нереализована функция",
    u8"Функция уже определена",
    u8"Идентификатор уже объявлен как идентификатор константы",
    u8"Константа уже объявлена",
    u8"Идентификатор уже объявлен как идентификатор функции",
    u8"Идентификатор уже объявлен",
    u8"Пропущена левая фигурная скобка \"{\"",
    u8"Пропущено неименованное выражение в функции",
    u8"Пропущено правое поименование",
    u8"Пропущено константное выражение",
    u8"Пропущена запятая \",\" между элементами списка",
    u8"Пропущен терм (атом, список, блок или идентификатор)",
    u8"Неизвестный идентификатор",
    u8"Пропущен константный терм (атом, список или идентификатор)",
    u8"Обнаружено ключевое слово \"break\" не в теле блока",
    u8"Обнаружено ключевое слово \"return\" не в теле функции",
    u8"Завершение выполнения программы по требованию пользователя",
    u8"Идентификатор уже объявлен как идентификатор типа",
    u8"Идентификатор уже объявлен как идентификатор перегруженной функции",
    u8"No Error!",
};

// The Windows-1251 texts, converted on first use and kept for the whole process.
const std::array<const char*, kExeptionCodeCount>& Messages() {
    static const std::array<const char*, kExeptionCodeCount> messages = [] {
        std::array<const char*, kExeptionCodeCount> converted{};
        for (std::size_t i = 0; i < kMessages.size(); ++i)
            converted[i] = Cp(kMessages[i]).c_str();
        return converted;
    }();
    return messages;
}

} // namespace

CExeption::CExeption(CNode* node, std::string text, int code)
    : m_strText(std::move(text)), m_pNode(node), m_nCode(code) {
}

CExeption::~CExeption() = default;

const char* CExeption::ErrorMessage() const {
    if (m_nCode < 0 || m_nCode >= kExeptionCodeCount)
        return nullptr;
    return Messages()[static_cast<std::size_t>(m_nCode)];
}

const char* CExeption::what() const noexcept {
    const char* message = ErrorMessage();
    return message != nullptr ? message : "";
}

std::string CaughtExceptionText() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of an unknown type";
    }
}
