# Applies to everything added after this file is included (GoogleTest is
# added before it and keeps its own flags).
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Werror)
