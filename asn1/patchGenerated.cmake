# Mends faults of the asn1c 0.9.28 output and runtime in the freshly generated directory
# ASN1_PATCH_DIR. Each fix must apply: a change of asn1c that moves the code stops the build
# here rather than silently bringing the fault back.

# The generated "inherit" function of every derived type copies the base type's routines
# into the type's own descriptor each time a value is freed, encoded or decoded. Copying the
# constraint check as well replaces the type's own check (alphabet, size, range) by the base
# type's, so from then on nothing is checked. The type keeps its own check; an unconstrained
# type's check hands over to the base type itself.
file(GLOB _patch_sources ${ASN1_PATCH_DIR}/*.c)
set(_inherit_fixed 0)
foreach(_file ${_patch_sources})
  file(READ ${_file} _text)
  set(_pattern "(_inherit_TYPE_descriptor\\(asn_TYPE_descriptor_t \\*td\\) {\n\ttd->free_struct    = [^\n]*\n\ttd->print_struct   = [^\n]*\n)\ttd->check_constraints = asn_DEF_[A-Za-z0-9_]*\\.check_constraints;\n")
  if(_text MATCHES "${_pattern}")
    string(REGEX REPLACE "${_pattern}" "\\1" _text "${_text}")
    file(WRITE ${_file} "${_text}")
    math(EXPR _inherit_fixed "${_inherit_fixed} + 1")
  endif()
endforeach()
if(_inherit_fixed EQUAL 0)
  message(FATAL_ERROR "asn1: the constraint-check fix found nothing to mend in ${ASN1_PATCH_DIR}")
endif()
file(STRINGS ${ASN1_PATCH_DIR}/Login.c _left REGEX "^\ttd->check_constraints = asn_DEF_IA5String")
if(_left)
  message(FATAL_ERROR "asn1: the constraint-check fix left Login's check replaceable")
endif()

# Replaces the one occurrence of `old` by `new` in the generated file `name`; fails otherwise.
function(asn1_patch_once name old new)
  file(READ ${ASN1_PATCH_DIR}/${name} _text)
  string(FIND "${_text}" "${old}" _at)
  if(_at EQUAL -1)
    message(FATAL_ERROR "asn1: patch of ${name} does not apply")
  endif()
  string(REPLACE "${old}" "${new}" _text "${_text}")
  file(WRITE ${ASN1_PATCH_DIR}/${name} "${_text}")
endfunction()
