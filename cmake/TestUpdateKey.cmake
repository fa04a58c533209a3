# An update signing key pair for the tests, made when a build is first
# configured: its private half stays in `dir` (private.pem) for the tests to
# sign descriptions with, and `out_var` gets the public half as the
# ZINTRA_UPDATE_KEYS setting takes it, for a test build of the program.
function(zintra_test_update_key dir out_var)
  if(NOT EXISTS ${dir}/private.pem)
    file(MAKE_DIRECTORY ${dir})
    execute_process(COMMAND openssl ecparam -name prime256v1 -genkey -noout -out private.pem
      WORKING_DIRECTORY ${dir} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  execute_process(COMMAND sh -c "openssl ec -in private.pem -pubout -outform DER 2>/dev/null | base64 -w0"
    WORKING_DIRECTORY ${dir} OUTPUT_VARIABLE key COMMAND_ERROR_IS_FATAL ANY)
  set(${out_var} "${key}" PARENT_SCOPE)
endfunction()
