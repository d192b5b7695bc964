#include "patches/Uuid.h"

#include <uuid/uuid.h>

Uuid generateUuid()
{
    Uuid uuid;
    uuid_generate_time(uuid.data());
    return uuid;
}

std::string uuidToString(const Uuid& uuid)
{
    char text[37];
    uuid_unparse_upper(uuid.data(), text);
    return std::string(text, 36);
}

Uuid uuidFromString(const std::string& text)
{
    Uuid uuid{};
    if (text.size() != 36 || uuid_parse(text.c_str(), uuid.data()) != 0)
        uuid.fill(0);
    return uuid;
}

bool isNilUuid(const Uuid& uuid)
{
    for (unsigned char b : uuid)
        if (b != 0)
            return false;
    return true;
}
