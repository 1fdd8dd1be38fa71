#pragma once
// Key paths that several layouts share, as literals that concatenate in the
// tables: FILE_EXTS L".htm\\UserChoice".

// Per-user choices of the program that opens a file type or a protocol.
#define FILE_EXTS L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"
#define URL_ASSOCIATIONS L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\"

// The classes of the current user, which HKEY_CLASSES_ROOT shows in front of the machine's.
#define USER_CLASSES L"Software\\Classes\\"

// The browser's client key under the Start menu's Internet clients.
#define CLIENT_KEY L"Software\\Clients\\StartMenuInternet\\{client}"

// The class whose local server starts the web browser for programs that ask for one by class id.
#define BROWSER_CLASS L"CLSID\\{0002DF01-0000-0000-C000-000000000046}"
