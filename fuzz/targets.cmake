# The fuzz targets: fuzz/<name>.cpp, seeds in fuzz/corpus/<name>/, and an
# optional libFuzzer dictionary fuzz/<name>.dict.
set(FUZZ_TARGETS
  inf_option_patch
  program_directory
  command_line
  sound_format
  legacy_inf
  hardware_ids)
