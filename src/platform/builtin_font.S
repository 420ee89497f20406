// The built-in font's TrueType data, embedded so text always draws, even with no font file.
    .section .rodata
    .global bx2_builtin_font_data
    .global bx2_builtin_font_size
    .balign 16
bx2_builtin_font_data:
    .incbin BX2_BUILTIN_FONT_PATH
bx2_builtin_font_end:
    .balign 8
bx2_builtin_font_size:
    .quad bx2_builtin_font_end - bx2_builtin_font_data
    .section .note.GNU-stack,"",@progbits
