# Run by cmake --install: writes the desktop entry with the executable's installed path.
# In: BX2_ENTRY_IN, BX2_ENTRY_OUT, BX2_BINDIR (absolute, or relative to the prefix).
if(IS_ABSOLUTE "${BX2_BINDIR}")
  set(BX2_TRYEXEC "${BX2_BINDIR}/brondelvix2")
else()
  set(BX2_TRYEXEC "${CMAKE_INSTALL_PREFIX}/${BX2_BINDIR}/brondelvix2")
endif()
set(BX2_EXEC "${BX2_TRYEXEC}")
# Every value of the entry doubles its backslashes.
string(REPLACE "\\" "\\\\" BX2_TRYEXEC "${BX2_TRYEXEC}")
# A path with one of Exec's reserved characters goes in double quotes, inside which " ` $ and \
# take a backslash; the key's value then doubles every backslash once more.
set(reserved "[] \t\n\"'\\><~|&;$*?#()`[]")
if(BX2_EXEC MATCHES "${reserved}")
  string(REGEX REPLACE "([\"`$\\])" "\\\\\\1" BX2_EXEC "${BX2_EXEC}")
  string(REPLACE "\\" "\\\\" BX2_EXEC "${BX2_EXEC}")
  set(BX2_EXEC "\"${BX2_EXEC}\"")
endif()
# A literal percent sign in Exec is written twice, field codes being %-letters.
string(REPLACE "%" "%%" BX2_EXEC "${BX2_EXEC}")
configure_file("${BX2_ENTRY_IN}" "${BX2_ENTRY_OUT}" @ONLY)
