# Mends faults of the asn1c 0.9.28 output and runtime in the freshly generated directory
# ASN1_PATCH_DIR. Each fix must apply: a change of asn1c that moves the code stops the build
# here rather than silently bringing the fault back.

# Replaces `old` by `new` in the generated file `name`; fails when `old` is not there.
function(asn1_patch name old new)
  file(READ ${ASN1_PATCH_DIR}/${name} _text)
  string(FIND "${_text}" "${old}" _at)
  if(_at EQUAL -1)
    message(FATAL_ERROR "asn1: patch of ${name} does not apply")
  endif()
  string(REPLACE "${old}" "${new}" _text "${_text}")
  file(WRITE ${ASN1_PATCH_DIR}/${name} "${_text}")
endfunction()

# Replaces every match of the regular expression `pattern` by `replacement` in every generated
# C file; fails when no file matches.
function(asn1_patch_every pattern replacement)
  file(GLOB _sources ${ASN1_PATCH_DIR}/*.c)
  set(_changed 0)
  foreach(_file ${_sources})
    file(READ ${_file} _text)
    if(_text MATCHES "${pattern}")
      string(REGEX REPLACE "${pattern}" "${replacement}" _text "${_text}")
      file(WRITE ${_file} "${_text}")
      math(EXPR _changed "${_changed} + 1")
    endif()
  endforeach()
  if(_changed EQUAL 0)
    message(FATAL_ERROR "asn1: patch '${pattern}' does not apply")
  endif()
endfunction()

# The generated "inherit" function of every derived type copies the base type's routines
# into the type's own descriptor each time a value is freed, encoded or decoded. Copying the
# constraint check as well replaces the type's own check (alphabet, size, range) by the base
# type's, so from then on nothing is checked. The type keeps its own check; an unconstrained
# type's check hands over to the base type itself.
asn1_patch_every("(_inherit_TYPE_descriptor\\(asn_TYPE_descriptor_t \\*td\\) {\n\ttd->free_struct    = [^\n]*\n\ttd->print_struct   = [^\n]*\n)\ttd->check_constraints = asn_DEF_[A-Za-z0-9_]*\\.check_constraints;\n"
  "\\1")
file(STRINGS ${ASN1_PATCH_DIR}/Login.c _left REGEX "^\ttd->check_constraints = asn_DEF_IA5String")
if(_left)
  message(FATAL_ERROR "asn1: the constraint-check fix left Login's check replaceable")
endif()

# An empty string may have no buffer, and counting the characters of a UTF-8 string passes no
# output array: computing an end from a null pointer is undefined behaviour.
asn1_patch(UTF8String.c
  "uint32_t *dstend = dst + dstlen;"
  "uint32_t *dstend = dst ? dst + dstlen : dst;")
asn1_patch(UTF8String.c
  "uint8_t *end = buf + st->size;"
  "uint8_t *end = buf ? buf + st->size : buf;")
asn1_patch_every("const uint8_t \\*end = ch \\+ st->size;" "const uint8_t *end = ch ? ch + st->size : ch;")

# A length of more than seven octets overflows the signed accumulator before the check that
# follows looks at it: refuse it before shifting.
asn1_patch(ber_tlv_length.c
  "\t\t\tlen = (len << 8) | *buf;\n"
  "\t\t\tif(len > (ber_tlv_len_t)(((size_t)-1 >> 1) >> 8))\n\t\t\t\treturn -1;\t/* Too large length value */\n\t\t\tlen = (len << 8) | *buf;\n")

# Shifting a negative accumulator left is undefined: shift its unsigned image instead.
asn1_patch(INTEGER.c
  "\t\tl = (l << 8) | *b;\n"
  "\t\tl = (long)(((unsigned long)l << 8) | *b);\n")

# A CHOICE of indefinite length that ends in a zero octet followed by a non-zero one (not an
# end-of-contents) left the decoder looping for ever without consuming anything: fail it.
asn1_patch(constr_CHOICE.c
  "\t\t\t\t\tctx->left++;\n\t\t\t\t\tcontinue;\n\t\t\t\t}\n\t\t\t} else {"
  "\t\t\t\t\tctx->left++;\n\t\t\t\t\tcontinue;\n\t\t\t\t}\n\t\t\t\tRETURN(RC_FAIL);\n\t\t\t} else {")

# The exponent of a binary REAL may have up to 255 octets; accumulating it in an int overflows.
# Any exponent beyond 2^20 already gives infinity or zero, so it is held there.
asn1_patch(REAL.c
  "\tfor(ptr++; ptr < end; ptr++)\n\t\texpval = (expval * 256) + *ptr;\n"
  "\tfor(ptr++; ptr < end; ptr++) {\n\t\tif(expval > (1 << 20)) expval = 1 << 20;\n\t\telse if(expval < -(1 << 20)) expval = -(1 << 20);\n\t\texpval = (expval * 256) + *ptr;\n\t}\n\tif(expval > (1 << 20)) expval = 1 << 20;\n\telse if(expval < -(1 << 20)) expval = -(1 << 20);\n")

# The decoders' stack guard measured the distance between the addresses of two local
# variables. Where locals do not live on the machine stack (AddressSanitizer's detection of
# stack use after return moves them to the heap) the distance is meaningless and every
# decoding failed. The guard now measures from the frame where decoding started.
asn1_patch(asn_codecs.h
  "\tsize_t  max_stack_size; /* 0 disables stack bounds checking */\n"
  "\tsize_t  max_stack_size; /* 0 disables stack bounds checking */\n\tvoid   *stack_base;     /* frame where decoding started, or null */\n")
asn1_patch(asn_internal.h
  "ptrdiff_t usedstack = ((char *)ctx - (char *)&ctx);"
  "ptrdiff_t usedstack = ctx->stack_base\n\t\t\t? ((char *)ctx->stack_base - (char *)__builtin_frame_address(0))\n\t\t\t: ((char *)ctx - (char *)&ctx);")
foreach(_decoder ber_decoder.c per_decoder.c xer_decoder.c)
  asn1_patch(${_decoder}
    "s_codec_ctx = *opt_codec_ctx;\n"
    "s_codec_ctx = *opt_codec_ctx;\n\t\t\ts_codec_ctx.stack_base = __builtin_frame_address(0);\n")
  asn1_patch(${_decoder}
    "s_codec_ctx.max_stack_size = ASN__DEFAULT_STACK_MAX;\n"
    "s_codec_ctx.max_stack_size = ASN__DEFAULT_STACK_MAX;\n\t\ts_codec_ctx.stack_base = __builtin_frame_address(0);\n")
endforeach()

# The same "inherit" functions write the descriptors (shared by every thread) on every use.
# Writing only what differs leaves them read-only after the first use, so threads that encode
# and decode at the same time (the connection reader and the senders) do not race on them.
asn1_patch_every("\n\ttd->([a-z_]+) *= (asn_DEF_[A-Za-z0-9_]+)\\.([a-z_]+);"
  "\n\tif(td->\\1 != \\2.\\3) td->\\1 = \\2.\\3;")

# The check of a type with no constraint of its own stored its base type's check into its own
# descriptor before calling it: a write that a thread checking a message raced with another
# thread reading that descriptor. It calls the base type's check directly instead.
asn1_patch_every("\n\t/\\* Replace with underlying type checker \\*/\n\tif\\(td->check_constraints != (asn_DEF_[A-Za-z0-9_]+)\\.check_constraints\\) td->check_constraints = asn_DEF_[A-Za-z0-9_]+\\.check_constraints;\n\treturn td->check_constraints\\("
  "\n\t/* The underlying type's check; the shared descriptor is left as it is */\n\treturn \\1.check_constraints(")

# With debugging off, ASN_DEBUG was an empty function whose arguments were still evaluated on
# every tag: formatting tag names into one static buffer, which threads encoding and decoding
# at the same time overwrote under each other (and which cost time for nothing).
asn1_patch(asn_internal.h
  "static void ASN_DEBUG(const char *fmt, ...) { (void)fmt; }"
  "#define ASN_DEBUG(...) do { } while(0)")

# The constraint checks of SEQUENCE, SEQUENCE OF and CHOICE cached each member's check in the
# shared member tables on first use, another write that threads raced on; it saves nothing
# worth keeping.
asn1_patch_every("\n\t+if\\(!elm->memb_constraints\\)\n\t+elm->memb_constraints = elm->type->check_constraints;" "")
asn1_patch_every("\n\t+elm->memb_constraints = elm->type->check_constraints;" "")
