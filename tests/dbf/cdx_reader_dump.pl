#!/usr/bin/perl
# Prints the entries of one tag of a compound index as an independent
# reader sees them: "record<TAB>key" per line, in the tree's order.
# Exit 77 when the reader module is not installed.
use strict;
use warnings;
BEGIN { eval { require XBase::Index; 1 } or exit 77; }
my ($file, $tag, $type) = @ARGV;
my $index = XBase::Index->new($file, tag => $tag, type => $type)
  or die "cannot open $file tag $tag: " . XBase::Index->errstr . "\n";
$index->prepare_select;
while (my ($key, $record) = $index->fetch) {
  print "$record\t$key\n";
}
