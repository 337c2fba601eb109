-- Issue columns added by later versions; each statement fails harmlessly where the column exists.
alter table WX_PROJECT_ISSUE add column difficulty_idx int;
alter table WX_PROJECT_ISSUE add column status varchar(30);
alter table WX_PROJECT_ISSUE add column category varchar(30);
alter table WX_PROJECT_ISSUE add column sub_assignee_idx int;
alter table WX_PROJECT_ISSUE add column sub_assignee varchar(30);
alter table WX_PROJECT_ISSUE add column contributor_idx int;
alter table WX_PROJECT_ISSUE add column contributor varchar(30);
