-- The shipped catalogue's content: one site, the application row of project "rede2" kind
-- "app", the trading module's menu group and entry, and the trading configuration defaults.

-- The sub-menu table ships with the Malay child-title column the menu view selects.
alter table APP_MENU_SUB add column child_titles_my varchar(3000);

INSERT INTO SITES (com_idx, site_idx, name, sid, floor_list, map_path, last_revision, is_valid,
  biz_key, mod_date, homepage)
VALUES (1, 1, 'Orvella', 'orvella', '', '', 1, 1, '', '2024-01-01 00:00:00', '');

-- The application row. Its code names the project and kind it serves ("rede2-app").
INSERT INTO APP_LIST (app_idx, site_idx, project_idx, filename, classname, code, owner,
  app_title, title, brand_name, splash_title, app_version, app_pkg_name, install_dir,
  transparent_color, splash_text_area, login_types, id_suffix, agency_names, b2b_mode,
  web_api_url, language_type, app_flag, pane_flag, use_splash, show_config_tab,
  confirm_on_exit, hide_on_exit, hide_on_start, hide_taskbar, single_instance, login_mode,
  is_valid)
VALUES (1, 1, 1, 'orvella', 'OrvellaMainWnd', 'rede2-app', 'Orvella',
  'Orvella', 'Orvella', '', 'Orvella', '1.0', 'orvella', 'Orvella',
  '0x000101FF', '20,200,480,290', '', '', '', 'stock',
  'https://www.orvella.example/', 2, 32, 15, 1, 1,
  1, 0, 0, 0, 1, 1,
  1);

INSERT INTO APP_MENU_GROUP (group_idx, app_idx, project_idx, com_idx, is_collapsed, group_pos,
  child_cnt, group_title, title_kor, title_eng, title_jpn, title_chn, title_vtn, title_tai,
  group_desc, is_valid, group_type, group_width, group_height, bg_color, txt_color)
VALUES (1, 1, 1, 1, 0, 1, 1, '자동매매', '자동매매', 'Auto Trading', '自動売買', '自动交易',
  'Giao dịch tự động', 'การซื้อขายอัตโนมัติ', '', 1, 0, 90, 60, -1, 0);

-- The trading plug-in. Its link is relative to the Settings folder; the loader takes the
-- ".dll" name as the platform's ".so".
INSERT INTO APP_MENU_INFO (menu_idx, app_idx, project_idx, com_idx, is_collapsed, group_idx,
  group_pos, menu_pos, bg_color, txt_color, cmd_type, icon_idx, menu_title, child_titles,
  title_kor, title_eng, title_chn, title_jpn, title_vtn, title_tai, menu_code, menu_desc,
  menu_url, menu_link, menu_param, modules_on, wnd_type, is_valid, run_mode, width, height,
  menu_type)
VALUES (101, 1, 1, 1, 0, 1, 1, 1, -1, 0, 0, 0, '주식 자동매매', '',
  '주식 자동매매', 'Stock Auto Trading', '股票自动交易', '株式自動売買',
  'Giao dịch cổ phiếu tự động', 'ซื้อขายหุ้นอัตโนมัติ', 'pelomar', 'Automatic stock and coin trading',
  '', '../Pelomar.dll', '', 'money', 0, 1, 0, 90, 60,
  1);

-- Trading configuration defaults of application 1, site 1.
INSERT INTO STOCK_CFG (app_idx, site_idx, max_buy_money_a_day, max_buy_money_a_item,
  split_buy_money, split_buy_money_usd, split_sell_money, split_sell_money_usd, currency_usd,
  buy_time_flag, buy_start_time, buy_end_time, log_write_on, acc_query_time_gap, market_type)
VALUES (1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 900, 1530, 1, 0, 0);
