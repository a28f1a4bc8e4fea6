// A design with a syntax error, for the launcher's compile-failure path.
module broken;
  reg x
endmodule
